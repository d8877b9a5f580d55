#pragma once

// For test hosts and window tests on a bare X server (Xvfb without a window manager): JUCE looks several
// window-manager atoms up without creating them, and X rejects atom 0 when JUCE then uses one. Creating them
// first makes the server look like a desktop's. Xlib only: keep it out of files that include JUCE (Xlib's
// macros clash with JUCE's and gtest's names).
#include <X11/Xlib.h>

namespace vk::x11
{

/** The connection internWindowManagerAtoms keeps open, held where leak checkers see it. */
inline ::Display* keptOpenDisplay = nullptr;

/** Creates the atoms once per process. With keepOpen the connection stays open to the end of the process, for
    servers that reset (and forget their atoms) when their last client leaves; our test servers run with
    -noreset, where closing it is enough. False when no X display can be opened. */
inline bool internWindowManagerAtoms(bool keepOpen)
{
    static const bool done = [keepOpen]
    {
        ::Display* d = XOpenDisplay(nullptr);
        if (d == nullptr)
            return false;
        const char* names[] = {"WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "WM_CHANGE_STATE", "WM_STATE",
                               "_NET_WM_PING", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL",
                               "_NET_WM_WINDOW_TYPE_COMBO", "_NET_WM_WINDOW_TYPE_DIALOG", "_NET_WM_STATE",
                               "_NET_WM_STATE_HIDDEN", "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR",
                               "_NET_WM_STATE_FULLSCREEN", "_NET_WM_STATE_MAXIMIZED_HORZ",
                               "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_PID", "_NET_WM_ICON", "_NET_WM_USER_TIME",
                               "_NET_ACTIVE_WINDOW", "_NET_FRAME_EXTENTS", "_NET_WORKAREA",
                               "_NET_WM_ALLOWED_ACTIONS", "_NET_WM_ACTION_CLOSE", "_NET_WM_ACTION_FULLSCREEN",
                               "_NET_WM_ACTION_MINIMIZE", "_NET_WM_ACTION_RESIZE", "_MOTIF_WM_HINTS",
                               "UTF8_STRING", "_XEMBED", "_XEMBED_INFO"};
        for (const char* n : names)
            XInternAtom(d, n, False);
        XSync(d, False);
        if (keepOpen)
            keptOpenDisplay = d;
        else
            XCloseDisplay(d);
        return true;
    }();
    return done;
}

} // namespace vk::x11
