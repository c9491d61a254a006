// fontconfig keeps its configuration until the process ends; the dialogs
// measure and draw text, so the leak checker is told to skip it.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
