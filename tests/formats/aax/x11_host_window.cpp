#include "tests/formats/aax/x11_host_window.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace vk::aax::test
{
namespace
{

// On a bare X server the window-manager atoms JUCE only looks up do not exist yet, and X rejects atom 0.
// They are made once per process; the test server runs with -noreset, so they outlive this connection.
void internWindowManagerAtoms()
{
    static const bool done = []
    {
        ::Display* d = XOpenDisplay(nullptr);
        if (d == nullptr)
            return false;
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
        XCloseDisplay(d);
        return true;
    }();
    (void)done;
}

} // namespace

bool hasDisplay()
{
    const char* d = std::getenv("DISPLAY");
    return d != nullptr && *d != 0;
}

X11HostWindow::X11HostWindow(int width, int height)
{
    internWindowManagerAtoms();
    auto* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return;
    m_display = display;
    m_window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, unsigned(width),
                                   unsigned(height), 0, 0, 0);
    XMapWindow(display, m_window);
    XSync(display, False);
}

X11HostWindow::~X11HostWindow()
{
    auto* display = static_cast<::Display*>(m_display);
    if (display == nullptr)
        return;
    if (m_window != 0)
        XDestroyWindow(display, m_window);
    XCloseDisplay(display);
}

int X11HostWindow::childCount() const
{
    auto* display = static_cast<::Display*>(m_display);
    if (display == nullptr)
        return -1;
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    XSync(display, False);
    if (XQueryTree(display, m_window, &root, &parent, &children, &count) == 0)
        return -1;
    if (children != nullptr)
        XFree(children);
    return int(count);
}

int X11HostWindow::waitForChildren(int expected, int boundMs) const
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    int count = childCount();
    while (count != expected && std::chrono::steady_clock::now() < end)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        count = childCount();
    }
    return count;
}

void X11HostWindow::firstChildSize(int& width, int& height) const
{
    width = height = 0;
    auto* display = static_cast<::Display*>(m_display);
    if (display == nullptr)
        return;
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    XSync(display, False);
    if (XQueryTree(display, m_window, &root, &parent, &children, &count) == 0 || count == 0)
        return;
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, children[0], &attributes) != 0)
    {
        width = attributes.width;
        height = attributes.height;
    }
    XFree(children);
}

} // namespace vk::aax::test
