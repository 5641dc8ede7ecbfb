// LeakSanitizer suppressions for the engine test programs: one-off allocations
// that system libraries (D-Bus, X11, Mesa, LLVM) keep for the life of the
// process once SDL has started video. Our own code is not suppressed.
extern "C" const char* __lsan_default_suppressions();

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n"
           "leak:libX11.so\n"
           "leak:libX11-xcb.so\n"
           "leak:libxcb\n"
           "leak:libEGL\n"
           "leak:libGLX\n"
           "leak:libGLdispatch\n"
           "leak:libgallium\n"
           "leak:_dri.so\n"
           "leak:libLLVM\n"
           "leak:libglapi\n";
}
