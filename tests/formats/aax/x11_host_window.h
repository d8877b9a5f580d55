#pragma once

// The window an AAX host on Linux would hand the effect GUI: a plain X11 top-level window, made on the
// test's own connection, with a look at the child windows embedded in it. Xlib stays in its own file (its
// macros clash with JUCE's and gtest's names).

#include <cstdint>

namespace vk::aax::test
{

bool hasDisplay();
/** Creates the window-manager atoms a bare X server lacks (tools/x11/x11_window_manager_atoms.h), once per
    process, on a connection kept open so that a server that resets when its last client leaves keeps them.
    Call before the module's framework opens the display. False without a display. */
bool prepareWindowServer();

class X11HostWindow
{
public:
    X11HostWindow(int width, int height);
    ~X11HostWindow();
    X11HostWindow(const X11HostWindow&) = delete;
    X11HostWindow& operator=(const X11HostWindow&) = delete;

    bool valid() const { return m_window != 0; }
    // What GetPtr hands the module: the window id as a pointer.
    void* handle() const { return reinterpret_cast<void*>(std::uintptr_t(m_window)); }
    // The number of child windows, waiting up to `boundMs` for it to become `expected`.
    int waitForChildren(int expected, int boundMs = 10000) const;
    // The size of the first child, or 0 x 0.
    void firstChildSize(int& width, int& height) const;

private:
    void* m_display = nullptr;
    unsigned long m_window = 0;
};

} // namespace vk::aax::test
