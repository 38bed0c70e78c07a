#pragma once
// One started terminal program (PuTTY), held by exactly one owner: the terminal tab (or the
// connection that starts it). When the owner lets go of a program that still runs, the program is
// ended: asked to end (after a grace time the owner may set, for a program that ends by itself),
// killed a second later if it has not, and reaped, by a process-wide list that outlives the owner
// and also ends whatever is left when Shellyard ends. A program exiting by itself is reaped too, so
// none is ever left a zombie. A program started as the user's own (PuTTY's configuration window)
// has no owner and is never ended by us.
#include "session/TerminalArguments.h"
#include "session/TerminalWindow.h"
#include "session/keys/KeyPlatform.h"

#include <chrono>
#include <memory>

class TerminalProcess {
public:
    // Starts the program with GDK_BACKEND=x11 added to the full environment, its password (if any)
    // through a pipe. Null when the location names no program that can be started (missing, a
    // folder, not executable) or the start failed.
    static std::unique_ptr<TerminalProcess> Start(const TerminalArguments& arguments);
    // Starts the user's own program (PuTTY's configuration window, with settings not yet saved) in a
    // session of its own, so that neither Shellyard's end nor a signal to Shellyard's process group
    // reaches it; it is only reaped by us. False when it cannot be started.
    static bool StartUsersOwn(const TerminalArguments& arguments);
    // Takes over a program that an earlier run of Shellyard started and left running (it was
    // killed): held and ended like one started here, but, not being our child, known by its start
    // mark (ProcessIdentity) rather than reaped, and never signalled once the mark has changed.
    static std::unique_ptr<TerminalProcess> TakeOver(long pid, const std::string& startMark);

    // Whether a location names a program the system can start (a name without a folder is looked up
    // on PATH), and if not, why.
    enum class Location { Startable, Empty, NotFound, Folder, NotExecutable };
    static Location CheckLocation(const std::string& location);

    // A program still running is ended (see above).
    ~TerminalProcess();
    TerminalProcess(const TerminalProcess&) = delete;
    TerminalProcess& operator=(const TerminalProcess&) = delete;

    // How long the program gets to end by itself once its owner lets go (PuTTY ends once its window
    // is destroyed); 0, the default, asks it to end at once.
    void SetEndGrace(std::chrono::milliseconds grace) { endGrace = grace; }
    // Lets go of the program without ending it (a session taken over that stays the user's own
    // window): nothing of ours touches it any more.
    void Disown();

    // One look for the program's terminal window; 0 while it shows none. Looks are cheap to repeat
    // (every few milliseconds while waiting): each remembers the windows earlier ones ruled out.
    NativeWindow LookForWindow();
    // True once waiting for the window is pointless: the program exited, or the window deadline,
    // counted from the start, has passed.
    bool GaveUpOnWindow();

    // How long a program gets to show its window (10 seconds unless changed, e.g. by a test).
    static void SetWindowDeadline(std::chrono::milliseconds deadline);
    static std::chrono::milliseconds WindowDeadline();

    long Pid() const { return pid; }
    // True once the program has exited (it is reaped then).
    bool HasExited();

    // Programs of ours started and not yet reaped, held or being ended, for the check that none
    // outlives the program (the user's own are not counted: they are meant to).
    static size_t RunningCount();

private:
    explicit TerminalProcess(long pid);

    long pid;
    std::chrono::steady_clock::time_point started;
    std::chrono::milliseconds endGrace{0};
    bool disowned = false;
    TerminalWindow::WindowSearch windowSearch;
};
