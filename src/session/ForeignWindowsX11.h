#pragma once
// Xlib calls on windows of other clients that both X11 layers need, the terminal windows' and the
// keystrokes': property reads, the top-level windows a user sees, and bringing a window to the
// front with the keyboard focus. Each works on the connection it is given; the calls that may meet
// a window gone meanwhile trap their own errors (see X11ErrorTrap), the property reads leave that
// to their caller.
#include <X11/Xlib.h>

#include <chrono>
#include <string>
#include <vector>

namespace ForeignWindows {

// The first value of a window's 32-bit property of the given type; 0 when it has none.
unsigned long PropertyValue(Display* display, Window window, Atom property, Atom expectedType);
// All values of a window's property of type WINDOW (a window manager's client lists).
std::vector<Window> WindowListProperty(Display* display, Window window, Atom property);
bool HasProperty(Display* display, Window window, Atom property);
// _NET_WM_PID: the process that shows the window, 0 when unknown.
long ProcessProperty(Display* display, Window window);
// The window's title: _NET_WM_NAME in UTF-8, else WM_NAME.
std::string Title(Display* display, Window window);

// The window's parent and map state; false when the window is gone.
bool ParentAndState(Display* display, Window window, Window& parent, int& mapState);
// True when window is ancestor or lies inside it (the walk stops at the root).
bool IsInside(Display* display, Window window, Window ancestor);
// True when the keyboard focus is on window or inside it; first waits until the server has handled
// everything asked of it on this connection.
bool HasFocusInside(Display* display, Window window);

// An EWMH window manager runs when the root names a check window that names itself.
bool WindowManagerRuns(Display* display);
// The windows a user sees as top-level, topmost first: the window manager's client list in stacking
// order when one runs (one request instead of a walk through its frames), else the mapped children
// of the root.
std::vector<Window> TopLevelWindows(Display* display);

// Maps a window that is not mapped.
void Show(Display* display, Window window);
// Brings the window's top-level to the front. A window manager is asked through _NET_ACTIVE_WINDOW
// (as a pager, so that focus-stealing prevention lets it through) and given up to a second to do
// it, so that its own focus change cannot land after the focus set next.
void RaiseTopLevel(Display* display, Window window);
// Gives window the keyboard focus. X refuses it to a window that is not viewable: a window that was
// just mapped is given up to patience to appear, and one still not viewable then is left alone
// when skipUnviewable is set (a hidden page) or asked anyway.
void Focus(Display* display, Window window, std::chrono::milliseconds patience, bool skipUnviewable);

}  // namespace ForeignWindows
