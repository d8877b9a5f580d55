#include "host_x11_capture.h"

#include "tools/x11/x11_window_manager_atoms.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace vkhost
{
namespace
{

// Errors (a window gone meanwhile) are answered by the empty result, not by the default handler's exit.
int ignoreError(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

bool prepareBareServer()
{
    return vk::x11::internWindowManagerAtoms(true);
}

bool windowSize(unsigned long window, int& width, int& height)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return false;
    auto* previous = XSetErrorHandler(&ignoreError);
    XWindowAttributes a{};
    const bool ok = XGetWindowAttributes(display, window, &a) != 0;
    width = a.width;
    height = a.height;
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return ok;
}

CapturedImage captureWindow(unsigned long window)
{
    CapturedImage out;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return out;
    auto* previous = XSetErrorHandler(&ignoreError);
    XWindowAttributes a{};
    if (XGetWindowAttributes(display, window, &a) != 0 && a.width > 0 && a.height > 0)
    {
        if (XImage* image =
                XGetImage(display, window, 0, 0, (unsigned)a.width, (unsigned)a.height, AllPlanes, ZPixmap))
        {
            out.width = a.width;
            out.height = a.height;
            out.pixels.resize((size_t)a.width * (size_t)a.height);
            for (int y = 0; y < a.height; ++y)
                for (int x = 0; x < a.width; ++x)
                    out.pixels[(size_t)y * (size_t)a.width + (size_t)x] =
                        std::uint32_t(XGetPixel(image, x, y) & 0xffffffu);
            XDestroyImage(image);
        }
    }
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return out;
}

} // namespace vkhost
