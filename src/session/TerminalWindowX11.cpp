// Terminal windows on X11. Everything runs on GDK's own X connection, so that our re-parenting and
// GTK's drawing of the page reach the server in order. GDK exits the process on any X error it did
// not expect, and the windows we touch belong to another client that may destroy them at any
// moment: every call on them happens inside an error trap.
#include "session/TerminalWindow.h"

#include "session/CallbackList.h"
#include "session/ForeignWindowsX11.h"
#include "session/TerminalSearchX11.h"
#include "session/X11ErrorTrap.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>

namespace {

Display* GdkXDisplay()
{
    GdkDisplay* display = gdk_display_get_default();
    if (!display || !GDK_IS_X11_DISPLAY(display))
        return nullptr;
    return GDK_DISPLAY_XDISPLAY(display);
}

// Who wants to hear of top-level windows shown while a watch is on, and how many watches are on.
CallbackList newWindowHandlers;
int newWindowWatches = 0;
long rootMaskBeforeWatch = 0;
bool newWindowReportPending = false;

// Counts top-level windows destroyed, and reports top-level windows mapped or framed. The news of
// windows shown reaches the handlers once the event loop is back, however many arrived meanwhile (a
// handler looks through the windows; it must not run inside GDK's event filter).
GdkFilterReturn WatchTopLevels(GdkXEvent* xevent, GdkEvent*, gpointer)
{
    XEvent* event = static_cast<XEvent*>(xevent);
    Window root = DefaultRootWindow(event->xany.display);
    TerminalSearch::NoteEvent(*event);
    bool shown = (event->type == MapNotify && event->xmap.event == root) ||
                 (event->type == ReparentNotify && event->xreparent.event == root);
    if (shown && !newWindowReportPending && !newWindowHandlers.Empty()) {
        newWindowReportPending = true;
        g_idle_add_full(G_PRIORITY_HIGH_IDLE, [](gpointer) -> gboolean {
            newWindowReportPending = false;
            newWindowHandlers.CallAll();
            return G_SOURCE_REMOVE;
        }, nullptr, nullptr);
    }
    return GDK_FILTER_CONTINUE;
}

// Handlers told when a window manager hands the focus to one of our windows. The manager asks GTK
// (WM_TAKE_FOCUS) and GTK moves the focus to its own focus window inside the frame; that arrives as
// focus coming from outside or from the frame itself. GTK takes focus events through the input
// extension, so that is where we look. Handlers run before GTK has seen the event and must act later.
CallbackList focusWatchers;
int inputExtension = -1;

GdkFilterReturn WatchFocusFromOutside(GdkXEvent* xevent, GdkEvent*, gpointer)
{
    XEvent* event = static_cast<XEvent*>(xevent);
    if (event->type != GenericEvent || event->xcookie.extension != inputExtension || focusWatchers.Empty())
        return GDK_FILTER_CONTINUE;
    if (event->xcookie.evtype != XI_FocusIn || !event->xcookie.data)
        return GDK_FILTER_CONTINUE;
    const XIFocusInEvent* focus = static_cast<const XIFocusInEvent*>(event->xcookie.data);
    // Focus that comes back from a window inside ours (detail Inferior) is our own doing: a field
    // of ours took it from a terminal.
    if (focus->mode != XINotifyNormal || (focus->detail != XINotifyNonlinear &&
                                          focus->detail != XINotifyNonlinearVirtual && focus->detail != XINotifyAncestor))
        return GDK_FILTER_CONTINUE;
    focusWatchers.CallAll();  // a handler may unwatch itself
    return GDK_FILTER_CONTINUE;
}

unsigned int Dimension(int value)
{
    return value > 0 ? static_cast<unsigned int>(value) : 1u;
}

}  // namespace

namespace TerminalWindow {

NativeWindow FromToolkitHandle(void* handle)
{
    GtkWidget* widget = static_cast<GtkWidget*>(handle);
    if (!widget || !GdkXDisplay())
        return 0;
    gtk_widget_realize(widget);
    if (!gtk_widget_get_has_window(widget))
        return 0;  // it draws on its parent's window: nothing of its own to hold a child
    GdkWindow* window = gtk_widget_get_window(widget);
    if (!window)
        return 0;
    // A foreign child needs a real X window to live in, not one of GDK's client-side windows.
    if (!gdk_window_ensure_native(window))
        return 0;
    return static_cast<NativeWindow>(GDK_WINDOW_XID(window));
}

void* ToolkitConnection()
{
    return GdkXDisplay();
}

NativeWindow Find(long processId, WindowSearch* search)
{
    Display* display = GdkXDisplay();
    if (!display || processId <= 0)
        return 0;
    X11ErrorTrap trap(display);
    return static_cast<NativeWindow>(TerminalSearch::Find(display, processId, search));
}

NewWindowWatch::NewWindowWatch(std::function<void()> onShown)
{
    if (onShown)
        token = newWindowHandlers.Add(std::move(onShown));
    Display* display = GdkXDisplay();
    if (!display || newWindowWatches++ > 0)
        return;
    // Substructure events of the root report windows created, mapped and re-parented at the top
    // level: a terminal showing its window, or a window manager framing it. GDK ignores them. Our
    // other selections on the root (GDK's) are kept.
    static bool filterInstalled = false;
    if (!filterInstalled) {
        gdk_window_add_filter(nullptr, WatchTopLevels, nullptr);
        filterInstalled = true;
    }
    TerminalSearch::SetWatching(true);
    Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    rootMaskBeforeWatch = XGetWindowAttributes(display, root, &attributes) ? attributes.your_event_mask : 0;
    XSelectInput(display, root, rootMaskBeforeWatch | SubstructureNotifyMask);
    XFlush(display);
}

NewWindowWatch::~NewWindowWatch()
{
    if (token)
        newWindowHandlers.Remove(token);
    Display* display = GdkXDisplay();
    if (!display || --newWindowWatches > 0)
        return;
    TerminalSearch::SetWatching(false);
    XSelectInput(display, DefaultRootWindow(display), rootMaskBeforeWatch);
    XFlush(display);
}

bool Withdraw(NativeWindow terminal)
{
    Display* display = GdkXDisplay();
    if (!display || !terminal)
        return false;
    X11ErrorTrap trap(display);
    XWithdrawWindow(display, static_cast<Window>(terminal), DefaultScreen(display));
    return trap.Succeeded();
}

Withdrawal Withdrawn(NativeWindow terminal)
{
    Display* display = GdkXDisplay();
    if (!display || !terminal)
        return Withdrawal::Gone;
    Window parent = None;
    int mapState = IsViewable;
    X11ErrorTrap trap(display);
    bool known = ForeignWindows::ParentAndState(display, static_cast<Window>(terminal), parent, mapState);
    if (!trap.Succeeded() || !known)
        return Withdrawal::Gone;
    return parent == DefaultRootWindow(display) && mapState == IsUnmapped ? Withdrawal::Done : Withdrawal::Pending;
}

EmbedResult Adopt(NativeWindow terminal, NativeWindow page, int width, int height)
{
    Display* display = GdkXDisplay();
    if (!display || !terminal || !page)
        return EmbedResult::Failed;
    Window child = static_cast<Window>(terminal);
    TerminalSearch::LeftTopLevel(child);
    X11ErrorTrap trap(display);
    XReparentWindow(display, child, static_cast<Window>(page), 0, 0);
    // Should Shellyard die, the server hands the window back to the root and the session survives.
    XAddToSaveSet(display, child);
    XMoveResizeWindow(display, child, 0, 0, Dimension(width), Dimension(height));
    XMapWindow(display, child);
    return trap.Succeeded() ? EmbedResult::Embedded : EmbedResult::Failed;
}

bool HandBack(NativeWindow terminal)
{
    Display* display = GdkXDisplay();
    if (!display || !terminal)
        return false;
    Window child = static_cast<Window>(terminal);
    X11ErrorTrap trap(display);
    // Unmapped first, so that no window manager takes it when it reaches the root.
    XUnmapWindow(display, child);
    XReparentWindow(display, child, DefaultRootWindow(display), 0, 0);
    XRemoveFromSaveSet(display, child);
    // The server has done all of it before our window goes (a program already gone fails harmlessly).
    trap.Succeeded();
    return true;
}

void Resize(NativeWindow terminal, int width, int height)
{
    Display* display = GdkXDisplay();
    if (!display || !terminal)
        return;
    X11ErrorTrap trap(display);
    XMoveResizeWindow(display, static_cast<Window>(terminal), 0, 0, Dimension(width), Dimension(height));
}

void Repaint(NativeWindow terminal)
{
    Display* display = GdkXDisplay();
    if (!display || !terminal)
        return;
    X11ErrorTrap trap(display);
    // Clearing the whole window with exposures sends it one Expose for all of it.
    XClearArea(display, static_cast<Window>(terminal), 0, 0, 0, 0, True);
}

void Focus(NativeWindow terminal)
{
    Display* display = GdkXDisplay();
    if (!display || !terminal)
        return;
    // Focusing a window that is not viewable is an error; the page is hidden or the terminal gone.
    ForeignWindows::Focus(display, static_cast<Window>(terminal), std::chrono::milliseconds(0), true);
}

int WatchWindowManagerFocus(const std::function<void()>& handler)
{
    if (!GdkXDisplay())
        return 0;
    static bool filterInstalled = false;
    if (!filterInstalled) {
        int event = 0, error = 0;
        if (!XQueryExtension(GdkXDisplay(), "XInputExtension", &inputExtension, &event, &error))
            return 0;
        gdk_window_add_filter(nullptr, WatchFocusFromOutside, nullptr);
        filterInstalled = true;
    }
    return focusWatchers.Add(handler);
}

void UnwatchWindowManagerFocus(int token)
{
    focusWatchers.Remove(token);
}

bool PointerInside(NativeWindow window)
{
    Display* display = GdkXDisplay();
    if (!display || !window)
        return false;
    X11ErrorTrap trap(display);
    Window root = None, child = None;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XWindowAttributes attributes;
    bool known = XGetWindowAttributes(display, static_cast<Window>(window), &attributes) &&
                 XQueryPointer(display, static_cast<Window>(window), &root, &child, &rootX, &rootY, &x, &y, &mask);
    return trap.Succeeded() && known && attributes.map_state == IsViewable && x >= 0 && y >= 0 &&
           x < attributes.width && y < attributes.height;
}

bool HasKeyboardFocus(NativeWindow window)
{
    Display* display = GdkXDisplay();
    return display && window && ForeignWindows::HasFocusInside(display, static_cast<Window>(window));
}

bool IsOnScreen(NativeWindow window)
{
    Display* display = GdkXDisplay();
    if (!display || !window)
        return false;
    gdk_display_flush(gdk_display_get_default());
    X11ErrorTrap trap(display);
    XWindowAttributes attributes;
    bool known = XGetWindowAttributes(display, static_cast<Window>(window), &attributes);
    return trap.Succeeded() && known && attributes.map_state == IsViewable;
}

NativeWindow ParentOf(NativeWindow window)
{
    Display* display = GdkXDisplay();
    if (!display || !window)
        return 0;
    X11ErrorTrap trap(display);
    Window parent = None;
    int mapState = 0;
    bool known = ForeignWindows::ParentAndState(display, static_cast<Window>(window), parent, mapState);
    return trap.Succeeded() && known ? static_cast<NativeWindow>(parent) : 0;
}

long ProcessOf(NativeWindow window)
{
    Display* display = GdkXDisplay();
    if (!display || !window)
        return 0;
    X11ErrorTrap trap(display);
    long pid = ForeignWindows::ProcessProperty(display, static_cast<Window>(window));
    return trap.Succeeded() ? pid : 0;
}

bool SizeOf(NativeWindow window, int& width, int& height)
{
    Display* display = GdkXDisplay();
    if (!display || !window)
        return false;
    X11ErrorTrap trap(display);
    XWindowAttributes attributes;
    bool known = XGetWindowAttributes(display, static_cast<Window>(window), &attributes);
    if (!trap.Succeeded() || !known)
        return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

}  // namespace TerminalWindow
