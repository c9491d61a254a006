#pragma once
// What the sanitizers are told about the font libraries, for a test program
// that draws text. Include it in exactly one source file of the program.
//
// fontconfig keeps its configuration for the life of the process and frees it
// only if asked to at the very end, which nothing in a test program can do
// safely: the leak checker is told not to count it.
//
// The font and drawing libraries are not built for the race checker, so it
// sees their memory only through the C library calls they make, and none of
// their locking (Pango's font threads and glib locks, harfbuzz's shared
// buffer, cairo's lock-free pools). The patterns name those libraries; races
// in our objects still show.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
extern "C" __attribute__((visibility("default"))) const char* __tsan_default_suppressions() {
    return "race:libfontconfig.so\nrace:libglib-2.0.so\nrace:libharfbuzz.so\nrace:libcairo.so\n";
}
