#include "host_x11_capture.h"

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
    static Display* const display = []
    {
        Display* d = XOpenDisplay(nullptr);
        if (d == nullptr)
            return d;
        const char* names[] = {"WM_PROTOCOLS",
                               "WM_TAKE_FOCUS",
                               "WM_DELETE_WINDOW",
                               "WM_CHANGE_STATE",
                               "WM_STATE",
                               "_NET_WM_PING",
                               "_NET_WM_WINDOW_TYPE",
                               "_NET_WM_WINDOW_TYPE_NORMAL",
                               "_NET_WM_WINDOW_TYPE_COMBO",
                               "_NET_WM_WINDOW_TYPE_DIALOG",
                               "_NET_WM_STATE",
                               "_NET_WM_STATE_HIDDEN",
                               "_NET_WM_STATE_ABOVE",
                               "_NET_WM_STATE_SKIP_TASKBAR",
                               "_NET_WM_STATE_FULLSCREEN",
                               "_NET_WM_STATE_MAXIMIZED_HORZ",
                               "_NET_WM_STATE_MAXIMIZED_VERT",
                               "_NET_WM_PID",
                               "_NET_WM_ICON",
                               "_NET_WM_USER_TIME",
                               "_NET_ACTIVE_WINDOW",
                               "_NET_FRAME_EXTENTS",
                               "_NET_WORKAREA",
                               "_NET_WM_ALLOWED_ACTIONS",
                               "_NET_WM_ACTION_CLOSE",
                               "_NET_WM_ACTION_FULLSCREEN",
                               "_NET_WM_ACTION_MINIMIZE",
                               "_NET_WM_ACTION_RESIZE",
                               "_MOTIF_WM_HINTS",
                               "UTF8_STRING",
                               "_XEMBED",
                               "_XEMBED_INFO"};
        for (const char* n : names)
            XInternAtom(d, n, False);
        XSync(d, False);
        return d;
    }();
    return display != nullptr;
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
