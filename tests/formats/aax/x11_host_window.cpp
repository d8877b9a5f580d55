#include "tests/formats/aax/x11_host_window.h"

#include "tools/x11/x11_window_manager_atoms.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace vk::aax::test
{

bool hasDisplay()
{
    const char* d = std::getenv("DISPLAY");
    return d != nullptr && *d != 0;
}

X11HostWindow::X11HostWindow(int width, int height)
{
    // The test server runs with -noreset, so the atoms outlive the connection that made them.
    vk::x11::internWindowManagerAtoms(false);
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
