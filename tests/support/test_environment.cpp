// Linked into every test binary: the headless defaults each test process needs,
// set before main so a binary run by hand behaves as it does under CTest.
#include <cstdlib>

#ifndef ORV_SOURCE_DIR
#error "ORV_SOURCE_DIR must name the source folder"
#endif

extern "C" {
// Read by the sanitizer runtimes at start-up, before any static constructor.
const char* __lsan_default_options() {
    return "suppressions=" ORV_SOURCE_DIR "/tests/lsan.supp:print_suppressions=0";
}
const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }
}

namespace {
struct HeadlessDefaults {
    HeadlessDefaults() {
        // Values already in the environment win, so a developer can run under X.
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("MESA_GL_VERSION_OVERRIDE", "3.3", 0);
        setenv("LP_NUM_THREADS", "2", 0);
        setenv("ALSOFT_DRIVERS", "null", 0);
        setenv("ORV_SOURCE_DIR", ORV_SOURCE_DIR, 0);
    }
} const headlessDefaults;
}  // namespace
