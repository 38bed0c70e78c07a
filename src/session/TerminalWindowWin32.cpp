// Terminal windows on Windows: PuTTY's top-level window of class "PuTTY" becomes a child of the page,
// keeps only the style bits a child may have, gets its window-menu layout command and is sized to
// the page.
#include "session/TerminalWindow.h"

#include <windows.h>

#include <map>
#include <vector>

namespace {

// Of all style bits only WS_CHILD, WS_VISIBLE, WS_CLIPSIBLINGS, WS_CLIPCHILDREN, WS_SYSMENU,
// WS_MINIMIZEBOX and WS_MAXIMIZEBOX survive, and only if they were set: caption, borders, sizing
// frame, scroll bars, popup and the minimised, maximised and disabled states go.
const LONG kEmbeddedStyleMask = 0x560B0000;
// SWP_SHOWWINDOW | SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE
const UINT kPlaceFlags = 0x66;

HWND Handle(NativeWindow window)
{
    return reinterpret_cast<HWND>(window);
}

// Number of NewWindowWatch objects alive, the hook they share, and who wants to hear of windows.
int newWindowWatches = 0;
HWINEVENTHOOK newWindowHook = nullptr;
std::map<int, std::function<void()>>& NewWindowHandlers()
{
    static std::map<int, std::function<void()>> handlers;
    return handlers;
}
int lastNewWindowToken = 0;

// Called through our own message queue (out of context) when another process shows a window.
void CALLBACK NoteNewWindow(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD)
{
    std::vector<std::function<void()>> handlers;
    for (const auto& handler : NewWindowHandlers())
        handlers.push_back(handler.second);
    for (const auto& handler : handlers)
        handler();
}

}  // namespace

namespace TerminalWindow {

NativeWindow FromToolkitHandle(void* handle)
{
    return reinterpret_cast<NativeWindow>(handle);
}

void* ToolkitConnection()
{
    return nullptr;
}

NativeWindow Find(long processId, WindowSearch*)
{
    if (processId <= 0)
        return 0;
    // Only a window of the process just started will do: a slow PuTTY must not be swapped with the
    // next one. Windows already embedded are children and are not found any more.
    HWND window = FindWindowA("PuTTY", nullptr);
    while (window) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (static_cast<long>(owner) == processId)
            return reinterpret_cast<NativeWindow>(window);
        window = FindWindowExA(nullptr, window, "PuTTY", nullptr);
    }
    return 0;
}

NewWindowWatch::NewWindowWatch(std::function<void()> onShown)
{
    if (onShown)
        NewWindowHandlers()[token = ++lastNewWindowToken] = std::move(onShown);
    // Windows shown by other processes are reported through our message queue.
    if (newWindowWatches++ == 0)
        newWindowHook = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, nullptr, NoteNewWindow, 0, 0,
                                        WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
}

NewWindowWatch::~NewWindowWatch()
{
    if (token)
        NewWindowHandlers().erase(token);
    if (--newWindowWatches == 0 && newWindowHook) {
        UnhookWinEvent(newWindowHook);
        newWindowHook = nullptr;
    }
}

// Windows has no window manager to give the window back: it can be adopted at once.
bool Withdraw(NativeWindow terminal)
{
    return Handle(terminal) && IsWindow(Handle(terminal));
}

Withdrawal Withdrawn(NativeWindow terminal)
{
    return IsWindow(Handle(terminal)) ? Withdrawal::Done : Withdrawal::Gone;
}

EmbedResult Adopt(NativeWindow terminal, NativeWindow page, int width, int height)
{
    HWND child = Handle(terminal);
    if (!child || !IsWindow(child) || !SetParent(child, Handle(page)))
        return EmbedResult::Failed;
    SetWindowLongA(child, GWL_STYLE, GetWindowLongA(child, GWL_STYLE) & kEmbeddedStyleMask);

    EmbedResult result = EmbedResult::Embedded;
    HMENU menu = GetSystemMenu(child, FALSE);
    if (menu) {
        // On a window menu that begins with the standard items, position 4 is Maximize.
        UINT command = GetMenuItemID(menu, 4);
        if (command != static_cast<UINT>(-1))
            SendMessageA(child, WM_SYSCOMMAND, command, 0);
    } else {
        result = EmbedResult::EmbeddedWithoutMenu;
    }
    SetWindowPos(child, nullptr, 0, 0, width, height, kPlaceFlags);
    return result;
}

bool HandBack(NativeWindow)
{
    return false;  // destroyed with the page, PuTTY's window tells PuTTY to end, as when it is closed
}

void Resize(NativeWindow terminal, int width, int height)
{
    HWND child = Handle(terminal);
    if (!child)
        return;
    SetWindowLongA(child, GWL_EXSTYLE, 0);
    SetWindowPos(child, nullptr, 0, 0, width, height, kPlaceFlags);
}

void Repaint(NativeWindow terminal)
{
    HWND child = Handle(terminal);
    if (child)
        InvalidateRect(child, nullptr, TRUE);
}

void Focus(NativeWindow terminal)
{
    HWND child = Handle(terminal);
    if (!child || !IsWindowVisible(child))
        return;
    SetFocus(child);
}

int WatchWindowManagerFocus(const std::function<void()>&)
{
    return 0;  // a click into a child window focuses that window
}

void UnwatchWindowManagerFocus(int)
{
}

bool PointerInside(NativeWindow window)
{
    POINT point;
    RECT rect;
    return GetCursorPos(&point) && GetWindowRect(Handle(window), &rect) && PtInRect(&rect, point);
}

bool HasKeyboardFocus(NativeWindow window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!window || !GetGUIThreadInfo(0, &info) || !info.hwndFocus)
        return false;
    return info.hwndFocus == Handle(window) || IsChild(Handle(window), info.hwndFocus);
}

bool IsOnScreen(NativeWindow window)
{
    return IsWindowVisible(Handle(window)) != FALSE;
}

NativeWindow ParentOf(NativeWindow window)
{
    return reinterpret_cast<NativeWindow>(GetParent(Handle(window)));
}

long ProcessOf(NativeWindow window)
{
    DWORD owner = 0;
    if (!GetWindowThreadProcessId(Handle(window), &owner))
        return 0;
    return static_cast<long>(owner);
}

bool SizeOf(NativeWindow window, int& width, int& height)
{
    RECT rect;
    if (!GetWindowRect(Handle(window), &rect))
        return false;
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    return true;
}

}  // namespace TerminalWindow
