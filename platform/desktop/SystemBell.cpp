#include "platform/desktop/SystemBell.h"

#include <X11/Xlib.h>

namespace qm::platform
{
void ringSystemBell()
{
    // A connection of its own: the call is rare, and the framework's
    // connection belongs to the message thread.
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return;
    XBell(display, 0);
    XFlush(display);
    XCloseDisplay(display);
}
} // namespace qm::platform
