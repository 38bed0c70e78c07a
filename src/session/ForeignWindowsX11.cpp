#include "session/ForeignWindowsX11.h"

#include "session/X11ErrorTrap.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <thread>

namespace ForeignWindows {

namespace {

Atom Intern(Display* display, const char* name)
{
    return XInternAtom(display, name, False);
}

// The managed top-level window that holds window (itself, or the frame an embedded window was
// re-parented into), and the root's child above it. False when the window does not exist.
bool TopLevelOf(Display* display, Window window, Window& client, Window& rootChild)
{
    Atom wmState = Intern(display, "WM_STATE");
    client = 0;
    rootChild = window;
    Window current = window;
    for (int depth = 0; depth < 64; ++depth) {
        if (HasProperty(display, current, wmState))
            client = current;
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, current, &root, &parent, &children, &count)) {
            if (depth == 0)
                return false;
            break;
        }
        if (children)
            XFree(children);
        rootChild = current;
        if (parent == root || parent == 0)
            break;
        current = parent;
    }
    if (!client)
        client = rootChild;
    return true;
}

}  // namespace

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

std::vector<Window> WindowListProperty(Display* display, Window window, Atom property)
{
    std::vector<Window> result;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 65536, False, XA_WINDOW, &type, &format, &count, &remaining,
                           &data) == Success &&
        type == XA_WINDOW && format == 32 && data) {
        const unsigned long* values = reinterpret_cast<const unsigned long*>(data);
        result.assign(values, values + count);
    }
    if (data)
        XFree(data);
    return result;
}

bool HasProperty(Display* display, Window window, Atom property)
{
    Atom type = None;
    int format;
    unsigned long items, after;
    unsigned char* data = nullptr;
    bool has = XGetWindowProperty(display, window, property, 0, 0, False, AnyPropertyType, &type, &format, &items,
                                  &after, &data) == Success &&
               type != None;
    if (data)
        XFree(data);
    return has;
}

long ProcessProperty(Display* display, Window window)
{
    return static_cast<long>(PropertyValue(display, window, Intern(display, "_NET_WM_PID"), XA_CARDINAL));
}

std::string Title(Display* display, Window window)
{
    X11ErrorTrap trap(display);
    Atom utf8 = Intern(display, "UTF8_STRING");
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, Intern(display, "_NET_WM_NAME"), 0, 4096, False, utf8, &type, &format,
                           &items, &after, &data) == Success &&
        data && format == 8 && type == utf8)
        title.assign(reinterpret_cast<char*>(data), items);
    if (data)
        XFree(data);
    if (!title.empty())
        return title;
    XTextProperty text;
    if (XGetWMName(display, window, &text) && text.value) {
        char** list = nullptr;
        int count = 0;
        if (Xutf8TextPropertyToTextList(display, &text, &list, &count) >= Success && list && count > 0)
            title = list[0];
        else
            title.assign(reinterpret_cast<char*>(text.value), text.nitems);
        if (list)
            XFreeStringList(list);
        XFree(text.value);
    }
    return title;
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

bool IsInside(Display* display, Window window, Window ancestor)
{
    for (int depth = 0; depth < 64 && window && window != PointerRoot; ++depth) {
        if (window == ancestor)
            return true;
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count))
            return false;
        if (children)
            XFree(children);
        if (parent == root)
            return false;
        window = parent;
    }
    return false;
}

bool HasFocusInside(Display* display, Window window)
{
    XSync(display, False);
    X11ErrorTrap trap(display);
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    // From the focused window up to the root: the window, or a window around it, decides.
    return IsInside(display, focus, window) && trap.Succeeded();
}

bool WindowManagerRuns(Display* display)
{
    X11ErrorTrap trap(display);
    Atom check = Intern(display, "_NET_SUPPORTING_WM_CHECK");
    Window wm = Window(PropertyValue(display, DefaultRootWindow(display), check, XA_WINDOW));
    return wm && Window(PropertyValue(display, wm, check, XA_WINDOW)) == wm && trap.Succeeded();
}

std::vector<Window> TopLevelWindows(Display* display)
{
    Window root = DefaultRootWindow(display);
    if (WindowManagerRuns(display)) {
        X11ErrorTrap trap(display);
        for (const char* name : {"_NET_CLIENT_LIST_STACKING", "_NET_CLIENT_LIST"}) {
            std::vector<Window> clients = WindowListProperty(display, root, Intern(display, name));
            if (!clients.empty()) {
                std::reverse(clients.begin(), clients.end());
                return clients;
            }
        }
    }
    std::vector<Window> result;
    X11ErrorTrap trap(display);
    Window parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return result;
    std::vector<Window> tops(children, children + count);
    if (children)
        XFree(children);
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, *it, &attributes) && !attributes.override_redirect &&
            attributes.map_state == IsViewable)
            result.push_back(*it);
    }
    return result;
}

void Show(Display* display, Window window)
{
    X11ErrorTrap trap(display);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsUnmapped)
        XMapWindow(display, window);
}

void RaiseTopLevel(Display* display, Window window)
{
    Window client, rootChild;
    {
        X11ErrorTrap trap(display);
        if (!TopLevelOf(display, window, client, rootChild))
            return;  // gone
    }
    Window root = DefaultRootWindow(display);
    if (!WindowManagerRuns(display)) {
        X11ErrorTrap trap(display);
        XRaiseWindow(display, rootChild);
        return;
    }
    Atom active = Intern(display, "_NET_ACTIVE_WINDOW");
    auto focusIn = [&](Window& focus) {
        X11ErrorTrap trap(display);
        int revert;
        XGetInputFocus(display, &focus, &revert);
        return Window(PropertyValue(display, root, active, XA_WINDOW)) == client && IsInside(display, focus, rootChild);
    };
    // Asking again for the active window makes the manager focus its frame once more, later, in the
    // middle of the typing: only a window that is not active yet is asked for.
    Window focus = None;
    if (focusIn(focus))
        return;
    {
        X11ErrorTrap trap(display);
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = client;
        event.xclient.message_type = active;
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2;
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    }
    // Done when the focus has been inside the window for a moment: the program that owns it may
    // still move the focus within its own windows when the manager hands it over.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    Window settledOn = None;
    auto settledSince = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() < deadline) {
        bool inside = focusIn(focus);
        if (!inside || focus != settledOn) {
            settledOn = inside ? focus : None;
            settledSince = std::chrono::steady_clock::now();
        } else if (std::chrono::steady_clock::now() - settledSince >= std::chrono::milliseconds(30)) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void Focus(Display* display, Window window, std::chrono::milliseconds patience, bool skipUnviewable)
{
    auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        X11ErrorTrap trap(display);
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, window, &attributes))
            return;  // gone
        if (attributes.map_state == IsViewable)
            break;
        if (std::chrono::steady_clock::now() >= deadline) {
            if (skipUnviewable)
                return;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    X11ErrorTrap trap(display);
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
}

}  // namespace ForeignWindows
