// Terminal windows on X11. Everything runs on GDK's own X connection, so that our re-parenting and
// GTK's drawing of the page reach the server in order. GDK exits the process on any X error it did
// not expect, and the windows we touch belong to another client that may destroy them at any
// moment: every call on them happens inside GDK's error trap.
#include "session/TerminalWindow.h"

#include <chrono>
#include <cstring>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <strings.h>

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

// Brackets calls on foreign windows: errors they raise are collected instead of ending the program.
class ErrorTrap {
public:
    ErrorTrap() : display(gdk_display_get_default()) { gdk_x11_display_error_trap_push(display); }
    ~ErrorTrap()
    {
        if (display)
            gdk_x11_display_error_trap_pop_ignored(display);
    }
    // Waits for the server's answer to everything sent so far; true when none of it failed.
    bool Succeeded()
    {
        int error = gdk_x11_display_error_trap_pop(display);
        display = nullptr;
        return error == 0;
    }

private:
    GdkDisplay* display;
};

// The first value of a window's 32-bit property of the given type; 0 when it has none.
unsigned long PropertyValue(Display* display, Window window, Atom property, Atom expectedType)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    unsigned long value = 0;
    if (XGetWindowProperty(display, window, property, 0, 1, False, expectedType, &type, &format, &count, &remaining,
                           &data) == Success &&
        type == expectedType && format == 32 && count == 1 && data)
        value = *reinterpret_cast<unsigned long*>(data);
    if (data)
        XFree(data);
    return value;
}

long ProcessProperty(Display* display, Window window)
{
    static Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    return static_cast<long>(PropertyValue(display, window, pidAtom, XA_CARDINAL));
}

// WM_CLASS of a client window; false for windows that carry none (window-manager frames, GDK's
// inner windows), which are the ones worth looking inside.
bool ClassOf(Display* display, Window window, bool& isTerminal)
{
    XClassHint hint = {nullptr, nullptr};
    if (!XGetClassHint(display, window, &hint))
        return false;
    // X11 PuTTY calls its class "Putty", the Windows one "PuTTY".
    isTerminal = hint.res_class && strcasecmp(hint.res_class, "PuTTY") == 0;
    if (hint.res_name)
        XFree(hint.res_name);
    if (hint.res_class)
        XFree(hint.res_class);
    return true;
}

bool IsTransient(Display* display, Window window)
{
    Window owner = None;
    return XGetTransientForHint(display, window, &owner) && owner != None;
}

bool IsClientLeader(Display* display, Window window)
{
    static Atom leaderAtom = XInternAtom(display, "WM_CLIENT_LEADER", False);
    return PropertyValue(display, window, leaderAtom, XA_WINDOW) == window;
}

// Number of NewWindowWatch objects alive, and the root window's event mask of ours before the first.
int newWindowWatches = 0;

// What every search may know of a client window at the top level once it shows it: the process of a
// window of class "PuTTY" (with its process property set), or -1 for a window of another class.
// Searches for several programs at once then ask the server about each new window once, not once
// each. It holds only while a watch is on: its identifiers go stale when their windows are
// destroyed or leave the top level (a terminal embedded in a tab of ours), since the server hands
// a departed client's identifiers to new windows.
std::unordered_map<Window, long> settledWindows;
unsigned long settledDestroysSeen = 0;
long rootMaskBeforeWatch = 0;

// Top-level windows destroyed while a watch was on: DestroyNotify events of the root's children,
// counted as GDK handles them and as they wait in the queue (a look's own round trips read them in).
unsigned long destroyedTopLevels = 0;
std::unordered_set<unsigned long> countedDestroys;  // serials of those counted from the queue

bool IsTopLevelDestroy(Display* display, const XEvent* event)
{
    return event->type == DestroyNotify && event->xdestroywindow.event == DefaultRootWindow(display);
}

// Who wants to hear of top-level windows shown while a watch is on.
std::map<int, std::function<void()>>& NewWindowHandlers()
{
    static std::map<int, std::function<void()>> handlers;
    return handlers;
}
int lastNewWindowToken = 0;
bool newWindowReportPending = false;

// Hands the news of windows shown to the handlers once the event loop is back, however many arrived
// meanwhile (a handler looks through the windows; it must not run inside GDK's event filter).
void ReportNewWindows(void*)
{
    newWindowReportPending = false;
    std::vector<std::function<void()>> handlers;
    for (const auto& handler : NewWindowHandlers())
        handlers.push_back(handler.second);
    for (const auto& handler : handlers)
        handler();
}

// Counts top-level windows destroyed, and reports top-level windows mapped or framed.
GdkFilterReturn WatchTopLevels(GdkXEvent* xevent, GdkEvent*, gpointer)
{
    XEvent* event = static_cast<XEvent*>(xevent);
    Window root = DefaultRootWindow(event->xany.display);
    if (IsTopLevelDestroy(event->xany.display, event) && countedDestroys.erase(event->xany.serial) == 0)
        ++destroyedTopLevels;
    if (event->type == ReparentNotify && event->xreparent.event == root && event->xreparent.parent != root)
        settledWindows.erase(event->xreparent.window);  // framed by a manager, or embedded by us
    bool shown = (event->type == MapNotify && event->xmap.event == root) ||
                 (event->type == ReparentNotify && event->xreparent.event == root);
    if (shown && !newWindowReportPending && !NewWindowHandlers().empty()) {
        newWindowReportPending = true;
        g_idle_add_full(G_PRIORITY_HIGH_IDLE, [](gpointer) -> gboolean {
            ReportNewWindows(nullptr);
            return G_SOURCE_REMOVE;
        }, nullptr, nullptr);
    }
    return GDK_FILTER_CONTINUE;
}

Bool CountQueuedDestroy(Display* display, XEvent* event, XPointer)
{
    if (IsTopLevelDestroy(display, event) && countedDestroys.insert(event->xany.serial).second)
        ++destroyedTopLevels;
    return False;  // every event stays queued for GDK
}


// Forgets what a search (and what every search) learnt once a top-level window has gone since.
// Called after a round trip, which reads in every event the server sent before its answer.
void ForgetIfWindowsWentAway(Display* display, TerminalWindow::WindowSearch& search)
{
    XEvent unused;
    XCheckIfEvent(display, &unused, CountQueuedDestroy, nullptr);
    if (search.destroysSeen != destroyedTopLevels) {
        search.ruledOut.clear();
        search.unmapped = 0;
        search.destroysSeen = destroyedTopLevels;
    }
    if (settledDestroysSeen != destroyedTopLevels) {
        settledWindows.clear();
        settledDestroysSeen = destroyedTopLevels;
    }
}

// How long one look that remembers what it learnt may take. Each window asked about costs a round
// trip to the server, and a display with dozens of terminals has hundreds of top-level windows: a
// first look through all of them could hold up the caller's events for long. A look that ran out of
// time returns having ruled out at least one window more, and the next one goes on.
struct LookBudget {
    std::chrono::steady_clock::time_point end;
    const TerminalWindow::WindowSearch* search;
    size_t ruledOutBefore;
    bool Spent() const
    {
        return search && search->ruledOut.size() > ruledOutBefore && std::chrono::steady_clock::now() >= end;
    }
};

// What one window is to the search for the terminal window of processId.
enum class Candidate {
    Terminal,  // the process's main window, mapped and viewable: the window manager is done with it
    NotIt,     // a client of another class or process, a dialog, a helper, or not viewable yet
    Frame      // no client at all (it has no WM_CLASS): a window manager's frame, worth looking into
};

// Clients of another class or process go into the search's ruled-out windows, as do the process's
// own helper windows; its main window seen before it is viewable is remembered, so that later looks
// only ask whether it is viewable now. atTop: a child of the root, whose verdict other searches may
// share (see settledWindows).
Candidate Examine(Display* display, Window window, long processId, bool atTop, TerminalWindow::WindowSearch* search)
{
    bool isTerminal = false;
    if (!ClassOf(display, window, isTerminal))
        return Candidate::Frame;
    long owner = isTerminal ? ProcessProperty(display, window) : 0;
    if (!isTerminal || owner != processId) {
        // A new window may get its class before its process property: only a window that shows
        // another class or another process is ruled out for good.
        if (search && (!isTerminal || owner != 0)) {
            search->ruledOut.insert(window);
            if (newWindowWatches > 0 && atTop)
                settledWindows[window] = isTerminal ? owner : -1;
        }
        return Candidate::NotIt;
    }
    if (IsTransient(display, window))
        return Candidate::NotIt;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return Candidate::NotIt;
    if (!attributes.override_redirect && attributes.map_state == IsViewable)
        return Candidate::Terminal;
    if (search) {
        // The program's other windows of its class and process are never the terminal: GDK's leader
        // window (the client leader of itself, never mapped) and its override-redirect helpers
        // (popups, selection windows). What remains is the main window, not viewable yet.
        if (attributes.override_redirect || IsClientLeader(display, window))
            search->ruledOut.insert(window);
        else
            search->unmapped = window;
    }
    return Candidate::NotIt;
}

bool Skipped(Window window, const TerminalWindow::WindowSearch* search)
{
    return search && (search->ruledOut.count(window) || search->unmapped == window);
}

// Looks through the children of parent for the terminal window of processId. Client windows (those
// with a WM_CLASS) are candidates and are not entered, so terminals already embedded in our own
// frame are never visited; other windows (a window manager's frames) are entered up to depth levels,
// afresh each time, since a manager may reparent a new client into one.
Window FindBelow(Display* display, Window parent, long processId, int depth, TerminalWindow::WindowSearch* search,
                 const LookBudget& budget)
{
    Window root = None, parentOfParent = None, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &parentOfParent, &children, &count))
        return None;
    // Only the root's children matter, and its listing is the round trip that read their destroys in.
    if (search && parent == root)
        ForgetIfWindowsWentAway(display, *search);
    Window found = None;
    for (unsigned int i = 0; i < count && found == None && !budget.Spent(); ++i) {
        Window child = children[i];
        if (Skipped(child, search))
            continue;
        auto settled = search && newWindowWatches > 0 ? settledWindows.find(child) : settledWindows.end();
        if (settled != settledWindows.end() && settled->second != processId) {
            search->ruledOut.insert(child);
            continue;
        }
        Candidate candidate = Examine(display, child, processId, parent == root, search);
        if (candidate == Candidate::Terminal)
            found = child;
        else if (candidate == Candidate::Frame && depth > 1)
            found = FindBelow(display, child, processId, depth - 1, search, budget);
    }
    if (children)
        XFree(children);
    return found;
}

// Looks among the clients that an EWMH window manager says it manages (_NET_CLIENT_LIST). Some
// managers give their frames a WM_CLASS of their own (i3's "i3-frame"), so a look through the tree
// takes the frame for a client of another program and never sees the terminal inside: that look
// only finds a terminal seen at the root before the manager framed it, and a terminal framed before
// the first look (a PuTTY that is quick to show its window, or whose remembered window was
// forgotten because a window went away meanwhile) would never be found.
Window FindAmongManaged(Display* display, long processId, TerminalWindow::WindowSearch* search,
                        const LookBudget& budget)
{
    static Atom clientList = XInternAtom(display, "_NET_CLIENT_LIST", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display), clientList, 0, 65536, False, XA_WINDOW, &type,
                           &format, &count, &remaining, &data) != Success || !data)
        return None;
    Window found = None;
    if (type == XA_WINDOW && format == 32) {
        const unsigned long* clients = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count && found == None && !budget.Spent(); ++i) {
            Window client = static_cast<Window>(clients[i]);
            if (!Skipped(client, search) && Examine(display, client, processId, false, search) == Candidate::Terminal)
                found = client;
        }
    }
    XFree(data);
    return found;
}

bool ParentAndState(Display* display, Window window, Window& parent, int& mapState)
{
    Window root = None, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return false;
    if (children)
        XFree(children);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return false;
    mapState = attributes.map_state;
    return true;
}

// Handlers told when a window manager hands the focus to one of our windows. The manager asks GTK
// (WM_TAKE_FOCUS) and GTK moves the focus to its own focus window inside the frame; that arrives as
// focus coming from outside or from the frame itself. GTK takes focus events through the input
// extension, so that is where we look. Handlers run before GTK has seen the event and must act later.
std::map<int, std::function<void()>>& FocusWatchers()
{
    static std::map<int, std::function<void()>> watchers;
    return watchers;
}

int inputExtension = -1;

GdkFilterReturn WatchFocusFromOutside(GdkXEvent* xevent, GdkEvent*, gpointer)
{
    XEvent* event = static_cast<XEvent*>(xevent);
    if (event->type != GenericEvent || event->xcookie.extension != inputExtension || FocusWatchers().empty())
        return GDK_FILTER_CONTINUE;
    if (event->xcookie.evtype != XI_FocusIn || !event->xcookie.data)
        return GDK_FILTER_CONTINUE;
    const XIFocusInEvent* focus = static_cast<const XIFocusInEvent*>(event->xcookie.data);
    // Focus that comes back from a window inside ours (detail Inferior) is our own doing: a field
    // of ours took it from a terminal.
    if (focus->mode != XINotifyNormal || (focus->detail != XINotifyNonlinear &&
                                          focus->detail != XINotifyNonlinearVirtual && focus->detail != XINotifyAncestor))
        return GDK_FILTER_CONTINUE;
    auto watchers = FocusWatchers();  // a handler may unwatch itself
    for (auto& entry : watchers)
        entry.second();
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

NativeWindow Find(long processId, WindowSearch* search)
{
    Display* display = GdkXDisplay();
    if (!display || processId <= 0)
        return 0;
    ErrorTrap trap;
    if (search && search->unmapped) {
        // The main window seen earlier: one question tells whether it is mapped now (a window
        // manager may have framed it meanwhile).
        Window window = static_cast<Window>(search->unmapped);
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, window, &attributes)) {
            search->unmapped = 0;  // gone
        } else if (attributes.map_state == IsViewable) {
            search->unmapped = 0;
            if (!IsTransient(display, window))
                return static_cast<NativeWindow>(window);
        }
    }
    LookBudget budget{std::chrono::steady_clock::now() + std::chrono::milliseconds(8), search,
                      search ? search->ruledOut.size() : 0};
    // Depth 3 reaches clients inside the frames of common window managers (frame, then a wrapper).
    Window found = FindBelow(display, DefaultRootWindow(display), processId, 3, search, budget);
    if (found == None && !budget.Spent())
        found = FindAmongManaged(display, processId, search, budget);
    return static_cast<NativeWindow>(found);
}

NewWindowWatch::NewWindowWatch(std::function<void()> onShown)
{
    if (onShown)
        NewWindowHandlers()[token = ++lastNewWindowToken] = std::move(onShown);
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
    Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    rootMaskBeforeWatch = XGetWindowAttributes(display, root, &attributes) ? attributes.your_event_mask : 0;
    XSelectInput(display, root, rootMaskBeforeWatch | SubstructureNotifyMask);
    XFlush(display);
}

NewWindowWatch::~NewWindowWatch()
{
    if (token)
        NewWindowHandlers().erase(token);
    Display* display = GdkXDisplay();
    if (!display || --newWindowWatches > 0)
        return;
    settledWindows.clear();  // nothing tells us any more of windows going
    XSelectInput(display, DefaultRootWindow(display), rootMaskBeforeWatch);
    XFlush(display);
}

bool Withdraw(NativeWindow terminal)
{
    Display* display = GdkXDisplay();
    if (!display || !terminal)
        return false;
    ErrorTrap trap;
    XWithdrawWindow(display, static_cast<Window>(terminal), DefaultScreen(display));
    XFlush(display);
    return trap.Succeeded();
}

Withdrawal Withdrawn(NativeWindow terminal)
{
    Display* display = GdkXDisplay();
    if (!display || !terminal)
        return Withdrawal::Gone;
    Window parent = None;
    int mapState = IsViewable;
    ErrorTrap trap;
    bool known = ParentAndState(display, static_cast<Window>(terminal), parent, mapState);
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
    settledWindows.erase(child);  // no longer at the top level
    ErrorTrap trap;
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
    ErrorTrap trap;
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
    ErrorTrap trap;
    XMoveResizeWindow(display, static_cast<Window>(terminal), 0, 0, Dimension(width), Dimension(height));
    XFlush(display);
}

void Repaint(NativeWindow terminal)
{
    Display* display = GdkXDisplay();
    if (!display || !terminal)
        return;
    ErrorTrap trap;
    // Clearing the whole window with exposures sends it one Expose for all of it.
    XClearArea(display, static_cast<Window>(terminal), 0, 0, 0, 0, True);
    XFlush(display);
}

void Focus(NativeWindow terminal)
{
    Display* display = GdkXDisplay();
    if (!display || !terminal)
        return;
    ErrorTrap trap;
    XWindowAttributes attributes;
    // Focusing a window that is not viewable is an error; the page is hidden or the terminal gone.
    if (XGetWindowAttributes(display, static_cast<Window>(terminal), &attributes) &&
        attributes.map_state == IsViewable)
        XSetInputFocus(display, static_cast<Window>(terminal), RevertToParent, CurrentTime);
    XFlush(display);
}

int WatchWindowManagerFocus(const std::function<void()>& handler)
{
    if (!GdkXDisplay())
        return 0;
    static int lastToken = 0;
    static bool filterInstalled = false;
    if (!filterInstalled) {
        int event = 0, error = 0;
        if (!XQueryExtension(GdkXDisplay(), "XInputExtension", &inputExtension, &event, &error))
            return 0;
        gdk_window_add_filter(nullptr, WatchFocusFromOutside, nullptr);
        filterInstalled = true;
    }
    FocusWatchers()[++lastToken] = handler;
    return lastToken;
}

void UnwatchWindowManagerFocus(int token)
{
    FocusWatchers().erase(token);
}

bool PointerInside(NativeWindow window)
{
    Display* display = GdkXDisplay();
    if (!display || !window)
        return false;
    ErrorTrap trap;
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
    if (!display || !window)
        return false;
    XSync(display, False);
    ErrorTrap trap;
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    // From the focused window up to the root: the terminal, or a window of ours around it, decides.
    for (int depth = 0; focus != None && focus != PointerRoot && depth < 64; ++depth) {
        if (focus == static_cast<Window>(window))
            return trap.Succeeded();
        Window root = None, parent = None, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, focus, &root, &parent, &children, &count))
            break;
        if (children)
            XFree(children);
        if (parent == root)
            break;
        focus = parent;
    }
    return false;
}

bool IsOnScreen(NativeWindow window)
{
    Display* display = GdkXDisplay();
    if (!display || !window)
        return false;
    gdk_display_flush(gdk_display_get_default());
    ErrorTrap trap;
    XWindowAttributes attributes;
    bool known = XGetWindowAttributes(display, static_cast<Window>(window), &attributes);
    return trap.Succeeded() && known && attributes.map_state == IsViewable;
}

NativeWindow ParentOf(NativeWindow window)
{
    Display* display = GdkXDisplay();
    if (!display || !window)
        return 0;
    ErrorTrap trap;
    Window parent = None;
    int mapState = 0;
    bool known = ParentAndState(display, static_cast<Window>(window), parent, mapState);
    return trap.Succeeded() && known ? static_cast<NativeWindow>(parent) : 0;
}

long ProcessOf(NativeWindow window)
{
    Display* display = GdkXDisplay();
    if (!display || !window)
        return 0;
    ErrorTrap trap;
    long pid = ProcessProperty(display, static_cast<Window>(window));
    return trap.Succeeded() ? pid : 0;
}

bool SizeOf(NativeWindow window, int& width, int& height)
{
    Display* display = GdkXDisplay();
    if (!display || !window)
        return false;
    ErrorTrap trap;
    XWindowAttributes attributes;
    bool known = XGetWindowAttributes(display, static_cast<Window>(window), &attributes);
    if (!trap.Succeeded() || !known)
        return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

}  // namespace TerminalWindow
