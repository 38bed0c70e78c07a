#include "session/TerminalSearchX11.h"

#include "session/ForeignWindowsX11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <strings.h>

#include <chrono>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

using TerminalWindow::WindowSearch;

bool watching = false;

// What every search may know of a client window at the top level once it shows it: the process of a
// window of class "PuTTY" (with its process property set), or -1 for a window of another class.
// Searches for several programs at once then ask the server about each new window once, not once
// each. It holds only while a watch is on: an identifier goes stale when its window is destroyed
// or leaves the top level (a terminal embedded in a tab of ours), since the server hands a departed
// client's identifiers to new windows.
std::unordered_map<Window, long> settledWindows;

// Top-level windows destroyed, or gone from the top level into another window (a window manager's
// frame, a tab of ours), while a watch was on, in the order heard of: DestroyNotify and
// ReparentNotify events of the root's children, taken as the toolkit handles them and as they wait
// in the queue (a look's own round trips read them in). A window that left the top level counts as
// gone: it may be destroyed later without the root hearing of it. A search remembers how far it
// has read; the log is begun anew now and then, and a search that read an older one forgets
// everything.
std::vector<Window> destroyedLog;
unsigned long destroyedLogEpoch = 1;
size_t settledDestroysRead = 0;
std::unordered_set<unsigned long> countedDestroys;  // serials of those taken from the queue
const size_t kDestroyedLogLimit = 4096;

// Top-level windows without a class that are not mapped (the toolkits' helper windows: clipboard,
// input methods, group leaders), learnt while a watch is on: neither a terminal nor a window
// manager's frame with one inside can be among them until they are mapped, which the root hears
// of. Shared by every search.
std::unordered_set<Window> idleTopLevels;

// Changes at the top level heard of while a watch is on: windows created, mapped, unmapped,
// re-parented or destroyed there, and properties of the root changed (a window manager's list of
// its clients). A search that has looked through everything needs to look again only after one.
unsigned long topLevelChanges = 0;
// However quiet the top level seems, a search looks again after this long: a window manager may
// map a client inside a frame it showed earlier, which tells the root nothing.
const std::chrono::milliseconds kQuietLookInterval(100);

// Whether the event changes what is at the top level (see topLevelChanges).
bool IsTopLevelChange(Display* display, const XEvent& event)
{
    const Window root = DefaultRootWindow(display);
    switch (event.type) {
    case CreateNotify:
        return event.xcreatewindow.parent == root;
    case MapNotify:
        return event.xmap.event == root;
    case UnmapNotify:
        return event.xunmap.event == root;
    case ReparentNotify:
        return event.xreparent.event == root;
    case DestroyNotify:
        return event.xdestroywindow.event == root;
    case PropertyNotify:
        return event.xproperty.window == root;
    default:
        return false;
    }
}

// The window that the event says left the top level, or None.
Window WindowLeavingTopLevel(Display* display, const XEvent* event)
{
    const Window root = DefaultRootWindow(display);
    if (event->type == DestroyNotify && event->xdestroywindow.event == root)
        return event->xdestroywindow.window;
    if (event->type == ReparentNotify && event->xreparent.event == root && event->xreparent.parent != root)
        return event->xreparent.window;
    return None;
}

void LogDestroy(Window window)
{
    if (destroyedLog.size() >= kDestroyedLogLimit) {
        destroyedLog.clear();
        ++destroyedLogEpoch;
        settledWindows.clear();
        settledDestroysRead = 0;
    }
    destroyedLog.push_back(window);
}

// Looks at an event waiting in the queue: a window that left the top level goes into the log, and a
// change at the top level is noted where changeFound points (when it does).
Bool NoteQueuedEvent(Display* display, XEvent* event, XPointer changeFound)
{
    Window gone = WindowLeavingTopLevel(display, event);
    if (gone != None && countedDestroys.insert(event->xany.serial).second)
        LogDestroy(gone);
    if (changeFound && IsTopLevelChange(display, *event))
        *reinterpret_cast<bool*>(changeFound) = true;
    return False;  // every event stays queued for the toolkit
}

// Whether a change at the top level has arrived that the toolkit has not handled yet: what the
// server has sent is read in without waiting, and the queue looked through.
bool ChangeQueued(Display* display)
{
    if (XEventsQueued(display, QueuedAfterReading) == 0)
        return false;
    bool found = false;
    XEvent unused;
    XCheckIfEvent(display, &unused, NoteQueuedEvent, reinterpret_cast<XPointer>(&found));
    return found;
}

// Forgets what a search (and what every search) learnt of windows that have gone since: a
// destroyed top-level window itself, and every window seen inside a window manager's frame (the
// frame may have been the one destroyed, and its client with it). Called after a round trip, which
// reads in every event the server sent before its answer.
void ForgetIfWindowsWentAway(Display* display, WindowSearch& search)
{
    XEvent unused;
    XCheckIfEvent(display, &unused, NoteQueuedEvent, nullptr);
    if (search.destroysEpoch != destroyedLogEpoch) {
        search.ruledOut.clear();
        search.ruledOutBelow.clear();
        search.unmapped = 0;
        search.destroysEpoch = destroyedLogEpoch;
        search.destroysSeen = destroyedLog.size();
    }
    if (search.destroysSeen < destroyedLog.size()) {
        for (size_t i = search.destroysSeen; i < destroyedLog.size(); ++i) {
            search.ruledOut.erase(destroyedLog[i]);
            if (search.unmapped == destroyedLog[i])
                search.unmapped = 0;
        }
        search.ruledOutBelow.clear();
        search.destroysSeen = destroyedLog.size();
    }
    for (; settledDestroysRead < destroyedLog.size(); ++settledDestroysRead)
        settledWindows.erase(destroyedLog[settledDestroysRead]);
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
        return search && search->ruledOut.size() + search->ruledOutBelow.size() > ruledOutBefore &&
               std::chrono::steady_clock::now() >= end;
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
    if (!ClassOf(display, window, isTerminal)) {
        if (atTop && watching) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsUnmapped) {
                idleTopLevels.insert(window);
                return Candidate::NotIt;
            }
        }
        return Candidate::Frame;
    }
    long owner = isTerminal ? ForeignWindows::ProcessProperty(display, window) : 0;
    if (!isTerminal || owner != processId) {
        // A new window may get its class before its process property: only a window that shows
        // another class or another process is ruled out for good.
        if (search && (!isTerminal || owner != 0)) {
            (atTop ? search->ruledOut : search->ruledOutBelow).insert(window);
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
            (atTop ? search->ruledOut : search->ruledOutBelow).insert(window);
        else
            search->unmapped = window;
    }
    return Candidate::NotIt;
}

bool Skipped(Window window, const WindowSearch* search)
{
    return search && (search->ruledOut.count(window) || search->ruledOutBelow.count(window) ||
                      search->unmapped == window);
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
        if (Skipped(child, search) || (watching && parent == root && idleTopLevels.count(child)))
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
    const auto now = std::chrono::steady_clock::now();
    if (search && watching && search->lookedThrough && search->changesSeen == topLevelChanges &&
        now - search->lastLook < kQuietLookInterval && !ChangeQueued(display))
        return None;
    if (search) {
        // Changes heard of from now on, during this look's own questions too, make the next look.
        search->lookedThrough = false;
        search->changesSeen = topLevelChanges;
        search->lastLook = now;
    }
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
                      search ? search->ruledOut.size() + search->ruledOutBelow.size() : 0};
    // Depth 3 reaches clients inside the frames of common window managers (frame, then a wrapper).
    Window found = FindBelow(display, DefaultRootWindow(display), processId, 3, search, budget);
    if (found == None && !budget.Spent())
        found = FindAmongManaged(display, processId, search, budget);
    if (search)
        search->lookedThrough = found == None && !budget.Spent();
    return found;
}

void SetWatching(bool on)
{
    watching = on;
    if (!on) {
        // Nothing tells us any more of windows going or being mapped.
        settledWindows.clear();
        idleTopLevels.clear();
    }
}

void NoteEvent(const XEvent& event)
{
    Display* display = event.xany.display;
    const Window root = DefaultRootWindow(display);
    if (IsTopLevelChange(display, event))
        ++topLevelChanges;
    // A helper window mapped, gone or re-parented is no longer known to be idle.
    if (event.type == MapNotify && event.xmap.event == root)
        idleTopLevels.erase(event.xmap.window);
    else if (event.type == DestroyNotify && event.xdestroywindow.event == root)
        idleTopLevels.erase(event.xdestroywindow.window);
    else if (event.type == ReparentNotify && event.xreparent.event == root)
        idleTopLevels.erase(event.xreparent.window);
    Window gone = WindowLeavingTopLevel(display, &event);
    if (gone != None && countedDestroys.erase(event.xany.serial) == 0)
        LogDestroy(gone);
    if (event.type == ReparentNotify && event.xreparent.event == root && event.xreparent.parent != root)
        settledWindows.erase(event.xreparent.window);  // framed by a manager, or embedded by us
}

void LeftTopLevel(Window window)
{
    settledWindows.erase(window);
}

}  // namespace TerminalSearch
