// Linked into each test that loads a plug-in module drawing with OpenGL, as a host does. LeakSanitizer: what
// the X and Mesa libraries keep until the process ends. Unlike the in-process window tests, an unknown
// module is not suppressed: a leak of the module itself, unloaded by then, must still be reported (the tests
// pin Mesa's libraries so that their allocations keep their names).
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:XGetVisualInfo\nleak:libX11.so\nleak:libxcb.so\nleak:libGLX\nleak:libGL.so\n"
           "leak:swrast_dri\nleak:libLLVM\nleak:libglapi\n";
}
