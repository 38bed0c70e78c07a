#pragma once
// Embedding a terminal program's top-level window into a window of ours: finding the window that a
// started process shows, re-parenting it, keeping it sized and focused. TerminalWindowX11.cpp and
// TerminalWindowWin32.cpp implement it; nothing else in the program touches foreign windows.
// Sizes are in physical pixels (the caller converts from the toolkit's logical ones).
#include "session/keys/KeyPlatform.h"

#include <chrono>
#include <functional>
#include <unordered_set>

namespace TerminalWindow {

// The native window of one of our own windows, given the toolkit's handle of it (a GtkWidget* or an
// HWND). On X11 the widget gets a native window of its own first, so that it can hold a child of
// another client. Returns 0 when the widget has no window yet.
NativeWindow FromToolkitHandle(void* handle);

// The toolkit's own connection to the window system (an X11 Display*; null on Windows, which has
// none). The keystroke layer types on it, so that the focus changes made here and the keys that
// follow reach the server in the order they were made.
void* ToolkitConnection();

// What earlier looks for one process learnt, so that a search repeated while waiting for it stays
// cheap on a busy display: the windows ruled out for good (another program's, another class, the
// program's own helper windows), and its main window seen before it was mapped, which later looks
// only need to see mapped. A window that goes away may have its identifier handed to a new one (the
// started program's, even): while a NewWindowWatch exists, a top-level window destroyed makes the
// next look forget what it learnt of that window and of every window inside a window manager's
// frame. Hold one while searching repeatedly. While a watch is on, a look
// that went through every window and found nothing is not repeated until a top-level window has
// been created, mapped, unmapped, framed or destroyed since, or a short while has passed: a look
// asks the server several questions, and each answer waits for whatever the server is busy with.
struct WindowSearch {
    std::unordered_set<NativeWindow> ruledOut;       // at the top level
    std::unordered_set<NativeWindow> ruledOutBelow;  // inside a window manager's frames
    NativeWindow unmapped = 0;
    unsigned long destroysEpoch = 0;  // which log of destroyed top-level windows was read
    size_t destroysSeen = 0;          // how far
    bool lookedThrough = false;      // the last look went through every window and found none
    unsigned long changesSeen = 0;   // top-level changes heard of when the last look began
    std::chrono::steady_clock::time_point lastLook;
};

// The terminal window that process processId shows, or 0 while it shows none: a mapped top-level
// window of class "PuTTY" (compared without case) that belongs to that process and is not a dialog
// transient for another window. Windows of other processes are never returned. search (optional)
// carries what earlier looks for the same process learnt, and gains what this one learns; such a
// look may stop early and return 0 after a short while once it has excluded more, so that a caller
// looking repeatedly keeps its events flowing, and the next look goes on where this one stopped.
NativeWindow Find(long processId, WindowSearch* search = nullptr);

// While one exists, the system tells us of every top-level window that is shown (or framed by a
// window manager): onShown is called, from the event loop, the moment a started program's window
// may be there, so that its holder looks at once instead of at its next timer tick. Watches may
// nest; the last one to go stops the reports.
class NewWindowWatch {
public:
    explicit NewWindowWatch(std::function<void()> onShown = {});
    ~NewWindowWatch();
    NewWindowWatch(const NewWindowWatch&) = delete;
    NewWindowWatch& operator=(const NewWindowWatch&) = delete;

private:
    int token = 0;
};

enum class EmbedResult {
    Embedded,               // the window is a child of the page now
    EmbeddedWithoutMenu,    // embedded, but it has no window menu to send the layout command to
    Failed                  // the window vanished or could not be re-parented
};

// Embedding takes two steps, so that its caller never waits for another program. First the window
// is withdrawn: a window manager then gives it back (unframes it and returns it to the root), which
// re-parenting a managed window out of its frame would leave the manager fighting. False when the
// window is gone.
bool Withdraw(NativeWindow terminal);
enum class Withdrawal { Pending, Done, Gone };
// Whether the window is back at the root and unmapped (Done), not yet (Pending: look again a little
// later; after a second without an answer, go on anyway) or gone.
Withdrawal Withdrawn(NativeWindow terminal);
// Then the window becomes a child of page, stripped of its frame and sized to width × height.
EmbedResult Adopt(NativeWindow terminal, NativeWindow page, int width, int height);

// Lets go of an embedded terminal before its page is destroyed. On X11 the window is unmapped and
// handed back to the root window (and out of our save-set, so that it never shows up again when we
// end): a toolkit program whose window is destroyed under it meets X errors on its own connection
// and reports them on standard error. True when the window was handed back and its program must be
// ended by whoever holds it; false where the window goes with the page and its program ends by
// itself (Windows destroys a child window of another process cleanly).
bool HandBack(NativeWindow terminal);

// Sizes an embedded terminal window to its page again (after every resize of the page).
void Resize(NativeWindow terminal, int width, int height);

// Has the terminal draw all of itself anew. A terminal resized while it was still drawing its first
// screen can leave pieces of its old size in the margin below its character cells.
void Repaint(NativeWindow terminal);

// Gives the keyboard focus to an embedded terminal window (a window manager hands the focus to the
// top-level frame on every click, so the page takes it back).
void Focus(NativeWindow terminal);

// Calls handler each time a window manager hands the keyboard focus to one of our top-level windows
// (it does on every click into a window, into an embedded terminal too, and then the focus goes to
// the frame instead of the terminal under the pointer). Returns a token for Unwatch; 0 where the
// system needs no such help.
int WatchWindowManagerFocus(const std::function<void()>& handler);
void UnwatchWindowManagerFocus(int token);
// True when the mouse pointer is over window.
bool PointerInside(NativeWindow window);

// True when the keyboard focus is on window or on a window inside it at this moment, so that keys
// sent now reach it; first waits until the server has handled everything we asked of it.
bool HasKeyboardFocus(NativeWindow window);

// True when the window is on screen (mapped, with all its ancestors); first waits until the server
// has handled everything we asked of it, so that a page just brought to the front counts.
bool IsOnScreen(NativeWindow window);

// Facts about a window for checks and diagnostics: its parent window (0 if unknown), the process
// that owns it (0 if unknown) and its size (false if the window is gone).
NativeWindow ParentOf(NativeWindow window);
long ProcessOf(NativeWindow window);
bool SizeOf(NativeWindow window, int& width, int& height);

}  // namespace TerminalWindow
