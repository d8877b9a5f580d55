#include "x11_host_window.h"

#include "tools/x11/x11_window_manager_atoms.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <unistd.h>

namespace vk::test
{

bool prepareWindowServer()
{
    return vk::x11::internWindowManagerAtoms(true);
}

X11HostWindow::X11HostWindow(int width, int height)
{
    prepareWindowServer();
    m_display = XOpenDisplay(nullptr);
    if (m_display == nullptr)
        return;
    int event = 0, error = 0, major = 0, minor = 0;
    m_xtest = XTestQueryExtension(m_display, &event, &error, &major, &minor) != 0;
    const int screen = DefaultScreen(m_display);
    m_window = XCreateSimpleWindow(m_display, RootWindow(m_display, screen), 100, 300, (unsigned)width,
                                   (unsigned)height, 0, BlackPixel(m_display, screen),
                                   BlackPixel(m_display, screen));
    XMapRaised(m_display, m_window);
    XSync(m_display, False);
}

X11HostWindow::~X11HostWindow()
{
    if (m_display == nullptr)
        return;
    if (m_window != 0)
        XDestroyWindow(m_display, m_window);
    XCloseDisplay(m_display);
}

void X11HostWindow::resize(int width, int height)
{
    XResizeWindow(m_display, m_window, (unsigned)width, (unsigned)height);
    XSync(m_display, False);
}

std::pair<int, int> X11HostWindow::size() const
{
    XWindowAttributes a{};
    XGetWindowAttributes(m_display, m_window, &a);
    return {a.width, a.height};
}

int X11HostWindow::childCount() const
{
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    if (XQueryTree(m_display, m_window, &root, &parent, &children, &n) == 0)
        return 0;
    if (children != nullptr)
        XFree(children);
    return (int)n;
}

Rgb X11HostWindow::pixel(int x, int y) const
{
    XSync(m_display, False);
    // A window's image holds its embedded windows' contents: what the user sees there.
    XImage* image = XGetImage(m_display, m_window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr)
        return {};
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return {int((p >> 16) & 0xff), int((p >> 8) & 0xff), int(p & 0xff)};
}

void X11HostWindow::moveTo(int x, int y) const
{
    ::Window child = 0;
    int rx = 0, ry = 0;
    XTranslateCoordinates(m_display, m_window, DefaultRootWindow(m_display), x, y, &rx, &ry, &child);
    XTestFakeMotionEvent(m_display, DefaultScreen(m_display), rx, ry, CurrentTime);
    XSync(m_display, False);
    usleep(20000); // lets the receiving client see the motion as separate events
}

void X11HostWindow::drag(int x, int y, int dx, int dy, bool release) const
{
    moveTo(x, y);
    XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
    XSync(m_display, False);
    usleep(20000);
    constexpr int steps = 5;
    for (int i = 1; i <= steps && (dx != 0 || dy != 0); ++i)
        moveTo(x + dx * i / steps, y + dy * i / steps);
    if (release)
        releaseButton();
}

void X11HostWindow::releaseButton() const
{
    XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
    XSync(m_display, False);
}

} // namespace vk::test
