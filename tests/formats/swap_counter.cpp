// Counts the frames every OpenGL context of this process presents, modules loaded later included: the test
// executable exports its own glXSwapBuffers, which a module's reference resolves to before the driver's
// (the framework linked into the executable calls it directly); it passes the call on and counts it once
// the driver has put the frame on screen. No Xlib or JUCE here.
#include "swap_counter.h"

#include <dlfcn.h>

#include <atomic>
#include <initializer_list>

namespace
{
std::atomic<std::int64_t> swaps{0};

// Xlib's Display* and GLXDrawable (an XID), without Xlib's header.
using SwapFn = void (*)(void*, unsigned long);

SwapFn driverSwap()
{
    // The driver is normally in a loaded module's own scope, out of RTLD_NEXT's reach.
    static const SwapFn fn = []
    {
        if (auto* next = dlsym(RTLD_NEXT, "glXSwapBuffers"))
            return reinterpret_cast<SwapFn>(next);
        for (const char* lib : {"libGLX.so.0", "libGL.so.1"})
            if (void* gl = dlopen(lib, RTLD_NOW | RTLD_NOLOAD))
                if (auto* found = dlsym(gl, "glXSwapBuffers"))
                    return reinterpret_cast<SwapFn>(found);
        return SwapFn{};
    }();
    return fn;
}
} // namespace

extern "C" __attribute__((visibility("default"))) void glXSwapBuffers(void* display, unsigned long drawable)
{
    if (auto fn = driverSwap())
        fn(display, drawable);
    swaps.fetch_add(1);
}

std::int64_t vk::test::swappedFrames()
{
    return swaps.load();
}
