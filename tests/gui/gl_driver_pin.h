#pragma once

// For tests that load a module drawing with OpenGL and then check for leaks. No JUCE here, so that tests of
// a module loaded as a host loads it can use it too.
#include <dlfcn.h>

namespace vk::test
{

/** Mesa's driver libraries are unloaded at exit, and the leak report then cannot name what they kept; pinning
    the loaded ones keeps their names in the report so that suppressions apply. */
inline void pinGlDriverLibraries()
{
    for (const char* lib :
         {"swrast_dri.so", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "libGLX_mesa.so.0", "libglapi.so.0",
          "libLLVM-15.so.1", "libLLVM-14.so.1", "libGL.so.1", "libGLX.so.0"})
        dlopen(lib, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

} // namespace vk::test
