// Sanitizer settings for tests that run Qt widgets: Qt's offscreen platform keeps its screen objects past the
// application's end (they are not ours), and the slow unwinder sees through Qt's libraries, which lack frame
// pointers. Linked as an object library so that the sanitizer runtime finds these hooks.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:QGuiApplicationPrivate::createPlatformIntegration\n";
}
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}
