// Linked into each test binary that opens OpenGL windows in process. LeakSanitizer: what the X and Mesa
// libraries never free, and JUCE 7's X11 context, which drops the visual info it asks X for each time a
// context is created (Mesa's driver, once unloaded, shows as an unknown module). Leaks of our own code are
// still reported.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:XGetVisualInfo\nleak:libX11.so\nleak:libxcb.so\nleak:libGLX\nleak:libGL.so\n"
           "leak:swrast_dri\nleak:libLLVM\nleak:libglapi\nleak:<unknown module>\n";
}
