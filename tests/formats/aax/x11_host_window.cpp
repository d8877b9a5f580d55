#include "tests/formats/aax/x11_host_window.h"

#include "tools/x11/x11_window_manager_atoms.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace vk::aax::test
{

namespace
{

// The window's children, or none when it cannot be asked.
std::vector<::Window> childrenOf(void* connection, unsigned long window)
{
    auto* display = static_cast<::Display*>(connection);
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    if (display == nullptr)
        return {};
    XSync(display, False);
    if (XQueryTree(display, window, &root, &parent, &children, &count) == 0)
        return {};
    std::vector<::Window> result(children, children + count);
    if (children != nullptr)
        XFree(children);
    return result;
}

} // namespace

bool hasDisplay()
{
    const char* d = std::getenv("DISPLAY");
    return d != nullptr && *d != 0;
}

bool prepareWindowServer()
{
    return vk::x11::internWindowManagerAtoms(true);
}

X11HostWindow::X11HostWindow(int width, int height)
{
    prepareWindowServer();
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

int X11HostWindow::waitForChildren(int expected, int boundMs) const
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    int count = int(childrenOf(m_display, m_window).size());
    while (count != expected && std::chrono::steady_clock::now() < end)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        count = int(childrenOf(m_display, m_window).size());
    }
    return count;
}

void X11HostWindow::firstChildSize(int& width, int& height) const
{
    width = height = 0;
    const auto children = childrenOf(m_display, m_window);
    XWindowAttributes attributes{};
    if (!children.empty() &&
        XGetWindowAttributes(static_cast<::Display*>(m_display), children[0], &attributes))
    {
        width = attributes.width;
        height = attributes.height;
    }
}

} // namespace vk::aax::test
