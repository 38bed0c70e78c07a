#pragma once
// What a user asks of the window manager, sent as a window manager expects it from a task bar.
#include "session/TerminalWindow.h"

#include <X11/Xlib.h>
#include <wx/window.h>

// The close box (or a task bar's "Close"): asks the window manager to close the window
// (_NET_CLOSE_WINDOW on the user's behalf).
inline void AskWindowManagerToClose(wxWindow* window)
{
    Display* display = XOpenDisplay(nullptr);
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<Window>(TerminalWindow::FromToolkitHandle(window->GetHandle()));
    event.xclient.message_type = XInternAtom(display, "_NET_CLOSE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[1] = 2;  // on the user's behalf
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XCloseDisplay(display);
}
