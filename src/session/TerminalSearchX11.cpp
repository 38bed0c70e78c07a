#include "session/TerminalSearchX11.h"

#include "session/ForeignWindowsX11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <strings.h>

#include <chrono>
#include <unordered_map>
#include <unordered_set>

namespace {

using TerminalWindow::WindowSearch;

bool watching = false;

// What every search may know of a client window at the top level once it shows it: the process of a
// window of class "PuTTY" (with its process property set), or -1 for a window of another class.
// Searches for several programs at once then ask the server about each new window once, not once
// each. It holds only while a watch is on: its identifiers go stale when their windows are
// destroyed or leave the top level (a terminal embedded in a tab of ours), since the server hands
// a departed client's identifiers to new windows.
std::unordered_map<Window, long> settledWindows;
unsigned long settledDestroysSeen = 0;

// Top-level windows destroyed while a watch was on: DestroyNotify events of the root's children,
// counted as the toolkit handles them and as they wait in the queue (a look's own round trips read
// them in).
unsigned long destroyedTopLevels = 0;
std::unordered_set<unsigned long> countedDestroys;  // serials of those counted from the queue

bool IsTopLevelDestroy(Display* display, const XEvent* event)
{
    return event->type == DestroyNotify && event->xdestroywindow.event == DefaultRootWindow(display);
}

Bool CountQueuedDestroy(Display* display, XEvent* event, XPointer)
{
    if (IsTopLevelDestroy(display, event) && countedDestroys.insert(event->xany.serial).second)
        ++destroyedTopLevels;
    return False;  // every event stays queued for the toolkit
}

// Forgets what a search (and what every search) learnt once a top-level window has gone since.
// Called after a round trip, which reads in every event the server sent before its answer.
void ForgetIfWindowsWentAway(Display* display, WindowSearch& search)
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
    return ForeignWindows::PropertyValue(display, window, leaderAtom, XA_WINDOW) == window;
}

// How long one look that remembers what it learnt may take. Each window asked about costs a round
// trip to the server, and a display with dozens of terminals has hundreds of top-level windows: a
// first look through all of them could hold up the caller's events for long. A look that ran out of
// time returns having ruled out at least one window more, and the next one goes on.
struct LookBudget {
    std::chrono::steady_clock::time_point end;
    const WindowSearch* search;
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
Candidate Examine(Display* display, Window window, long processId, bool atTop, WindowSearch* search)
{
    bool isTerminal = false;
    if (!ClassOf(display, window, isTerminal))
        return Candidate::Frame;
    long owner = isTerminal ? ForeignWindows::ProcessProperty(display, window) : 0;
    if (!isTerminal || owner != processId) {
        // A new window may get its class before its process property: only a window that shows
        // another class or another process is ruled out for good.
        if (search && (!isTerminal || owner != 0)) {
            search->ruledOut.insert(window);
            if (watching && atTop)
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

bool Skipped(Window window, const WindowSearch* search)
{
    return search && (search->ruledOut.count(window) || search->unmapped == window);
}

// Looks through the children of parent for the terminal window of processId. Client windows (those
// with a WM_CLASS) are candidates and are not entered, so terminals already embedded in our own
// frame are never visited; other windows (a window manager's frames) are entered up to depth levels,
// afresh each time, since a manager may reparent a new client into one.
Window FindBelow(Display* display, Window parent, long processId, int depth, WindowSearch* search,
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
        auto settled = search && watching ? settledWindows.find(child) : settledWindows.end();
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
Window FindAmongManaged(Display* display, long processId, WindowSearch* search, const LookBudget& budget)
{
    static Atom clientList = XInternAtom(display, "_NET_CLIENT_LIST", False);
    for (Window client : ForeignWindows::WindowListProperty(display, DefaultRootWindow(display), clientList)) {
        if (budget.Spent())
            break;
        if (!Skipped(client, search) && Examine(display, client, processId, false, search) == Candidate::Terminal)
            return client;
    }
    return None;
}

}  // namespace

namespace TerminalSearch {

Window Find(Display* display, long processId, WindowSearch* search)
{
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
                return window;
        }
    }
    LookBudget budget{std::chrono::steady_clock::now() + std::chrono::milliseconds(8), search,
                      search ? search->ruledOut.size() : 0};
    // Depth 3 reaches clients inside the frames of common window managers (frame, then a wrapper).
    Window found = FindBelow(display, DefaultRootWindow(display), processId, 3, search, budget);
    if (found == None && !budget.Spent())
        found = FindAmongManaged(display, processId, search, budget);
    return found;
}

void SetWatching(bool on)
{
    watching = on;
    if (!on)
        settledWindows.clear();  // nothing tells us any more of windows going
}

void NoteEvent(const XEvent& event)
{
    Display* display = event.xany.display;
    if (IsTopLevelDestroy(display, &event) && countedDestroys.erase(event.xany.serial) == 0)
        ++destroyedTopLevels;
    if (event.type == ReparentNotify && event.xreparent.event == DefaultRootWindow(display) &&
        event.xreparent.parent != DefaultRootWindow(display))
        settledWindows.erase(event.xreparent.window);  // framed by a manager, or embedded by us
}

void LeftTopLevel(Window window)
{
    settledWindows.erase(window);
}

}  // namespace TerminalSearch
