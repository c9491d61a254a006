// fontconfig keeps its configuration until the process ends and frees it
// only when asked to at the very end, which a test program cannot do safely;
// the picker's soft keys draw text, so the leak checker is told to skip it.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
