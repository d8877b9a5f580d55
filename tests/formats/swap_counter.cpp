// Counts the frames every OpenGL context of this process presents, modules loaded later included: the test
// executable exports its own glXSwapBuffers, which a module's reference resolves to before the driver's;
// it counts and passes the call on. No Xlib or JUCE here.

#include <dlfcn.h>

#include <atomic>
#include <cstdint>
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
    swaps.fetch_add(1, std::memory_order_relaxed);
    if (auto fn = driverSwap())
        fn(display, drawable);
}

// Declared where it is used (the editor test).
std::int64_t swappedFrames()
{
    return swaps.load(std::memory_order_relaxed);
}
