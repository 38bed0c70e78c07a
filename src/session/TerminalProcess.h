#pragma once
// One started terminal program (PuTTY) and the end of its life. The object learns when the program
// exits, so that it is reaped and never left a zombie. Whoever holds it (a terminal tab) releases it
// when done: a program still running then gets a short time to end by itself, is asked to end, and
// is killed if it still runs. A program started as the user's own (PuTTY's configuration window) is
// held by nobody and never ended by us. The object deletes itself once its program has exited and
// it has been released; never delete it directly.
#include "session/TerminalArguments.h"
#include "session/TerminalWindow.h"
#include "session/keys/KeyPlatform.h"

#include <chrono>
#include <wx/process.h>
#include <wx/timer.h>
#include <wx/window.h>

class TerminalProcess : public wxProcess {
public:
    enum Ownership {
        EndedWithShellyard,  // a session of ours: ended at the latest when Shellyard ends
        UsersOwn             // the user's (PuTTY's configuration window, with settings not yet saved):
                             // started in a session of its own, so that neither Shellyard's end nor a
                             // signal to Shellyard's process group reaches it; only reaped by us
    };
    // Starts the program with GDK_BACKEND=x11 added to the full environment. Null when the location
    // names no program that can be started (missing, a folder, not executable) or the start failed.
    static TerminalProcess* Start(const TerminalArguments& arguments, Ownership ownership = EndedWithShellyard);

    // One look for the program's terminal window; 0 while it shows none. Looks are cheap to repeat
    // (every 10 ms while waiting): each remembers the windows earlier ones ruled out.
    NativeWindow LookForWindow();
    // True once waiting for the window is pointless: the program exited, or the window deadline,
    // counted from the start, has passed.
    bool GaveUpOnWindow() const;

    // How long a program gets to show its window (10 seconds unless changed, e.g. by a test).
    static void SetWindowDeadline(std::chrono::milliseconds deadline);
    static std::chrono::milliseconds WindowDeadline();

    // The holder lets go. A program still running is asked to end after grace and killed a second
    // after that; with grace zero it is asked at once.
    void Release(std::chrono::milliseconds grace);
    // Nobody holds the program any more, which may run on; unless it is the user's own, it is still
    // ended when Shellyard ends.
    void LetRun();

    long Pid() const { return pid; }
    bool HasExited() const { return exited; }

    // Processes of ours started and not yet reaped, for the check that none outlives the program
    // (the user's own are not counted: they are meant to).
    static size_t RunningCount();

    // The program exited (called by whoever reaped it).
    void OnTerminate(int pid, int status) override;

private:
    TerminalProcess();
    ~TerminalProcess() override;
    void AskToEnd();
    void OnEndTimer(wxTimerEvent& event);

    long pid = 0;
    std::chrono::steady_clock::time_point started;
    TerminalWindow::WindowSearch windowSearch;
    bool exited = false;
    bool released = false;
    bool askedToEnd = false;
    wxTimer endTimer;
};
