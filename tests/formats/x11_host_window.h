#pragma once

// A host's own X window for plug-in editors, and what a user does to it: real pointer input through the
// XTest extension, and pixels read back from the server. In its own file: Xlib's names clash with the
// framework's (Time) and gtest's.

#include <cstdint>
#include <utility>

struct _XDisplay;

namespace vk::test
{

struct Rgb
{
    int r = -1, g = -1, b = -1;
};

/** Creates the window-manager atoms a bare X server lacks (tools/x11/x11_window_manager_atoms.h), once per
    process, on a connection kept open so that a server that resets when its last client leaves keeps them.
    Call before any framework opens the display: the framework looks them up only once. False without a
    display. */
bool prepareWindowServer();

class X11HostWindow
{
public:
    // A mapped top-level window of this size, away from the screen's edges (drags may leave it);
    // valid() is false without a display.
    X11HostWindow(int width, int height);
    ~X11HostWindow();
    X11HostWindow(const X11HostWindow&) = delete;
    X11HostWindow& operator=(const X11HostWindow&) = delete;

    bool valid() const { return m_window != 0; }
    // The X window id, as a host passes it to a view.
    void* handle() const { return reinterpret_cast<void*>(m_window); }

    void resize(int width, int height);
    // The window's width and height as the server has it.
    std::pair<int, int> size() const;
    // The number of windows embedded in this one.
    int childCount() const;

    // The pixel at (x, y) of what the window shows now, embedded windows included.
    Rgb pixel(int x, int y) const;
    // Moves the pointer to (x, y) of the window, presses, moves by (dx, dy) in steps, releases unless
    // told not to (releaseButton() then lets go).
    void drag(int x, int y, int dx, int dy, bool release = true) const;
    void click(int x, int y) const { drag(x, y, 0, 0); }
    void releaseButton() const;
    bool hasXTest() const { return m_xtest; }

private:
    void moveTo(int x, int y) const;

    ::_XDisplay* m_display = nullptr;
    unsigned long m_window = 0;
    bool m_xtest = false;
};

} // namespace vk::test
