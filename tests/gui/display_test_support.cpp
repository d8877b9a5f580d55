#include "display_test_support.h"

#include <X11/Xlib.h>

namespace vk::test
{

bool internWindowManagerAtoms()
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
                               "UTF8_STRING"};
        for (const char* n : names)
            XInternAtom(d, n, False);
        XSync(d, False);
        return true; // d is kept open on purpose, see the header
    }();
    return done;
}

} // namespace vk::test
