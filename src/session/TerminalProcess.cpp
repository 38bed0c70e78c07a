#include "session/TerminalProcess.h"

#include "session/TerminalWindow.h"

#include <map>
#include <wx/evtloop.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/utils.h>

namespace {

std::chrono::milliseconds windowDeadline(10000);

// Programs started and not yet reaped, with whether they were asked to end already. Whatever is
// still here when the program itself ends is ended with it.
struct RunningPrograms {
    std::map<long, bool> askedToEnd;
    ~RunningPrograms()
    {
        for (const auto& entry : askedToEnd)
            wxKill(entry.first, entry.second ? wxSIGKILL : wxSIGTERM);
    }
};

RunningPrograms& Running()
{
    static RunningPrograms running;
    return running;
}

// Whether location names a program the system can start. The toolkit only learns after the fact
// (in the child) that a program could not be started; checking first gives the user an answer now.
bool IsStartable(const std::string& location)
{
    if (location.empty())
        return false;
    wxString path = wxString::FromUTF8(location.c_str());
    if (!path.Contains(wxFILE_SEP_PATH)) {
        wxPathList searchPath;
        searchPath.AddEnvList("PATH");
        path = searchPath.FindAbsoluteValidPath(path);
        if (path.empty())
            return false;
    }
    return wxFileName::IsFileExecutable(path) && !wxFileName::DirExists(path);
}

}  // namespace

TerminalProcess::TerminalProcess() : wxProcess(nullptr, wxID_ANY)
{
    endTimer.SetOwner(this);
    Bind(wxEVT_TIMER, &TerminalProcess::OnEndTimer, this);
}

TerminalProcess::~TerminalProcess()
{
    endTimer.Stop();
}

TerminalProcess* TerminalProcess::Start(const TerminalArguments& arguments)
{
    if (arguments.Items().empty() || !IsStartable(arguments.Items().front()))
        return nullptr;
    // A non-empty environment replaces the whole one, so start from ours. PuTTY must talk X11 for
    // its window to be embedded, also inside a Wayland session.
    wxExecuteEnv environment;
    wxGetEnvMap(&environment.env);
    environment.env["GDK_BACKEND"] = "x11";

    // The program's standard streams are left alone rather than redirected into pipes that nobody
    // reads: a chatty program would otherwise stall once a pipe is full.
    TerminalProcess* process = new TerminalProcess();
    std::vector<const char*> argv = arguments.Argv();
    long pid = wxExecute(argv.data(), wxEXEC_ASYNC, process, &environment);
    if (pid <= 0) {
        delete process;  // never handed to a running program
        return nullptr;
    }
    process->pid = pid;
    process->started = std::chrono::steady_clock::now();
    Running().askedToEnd[pid] = false;
    return process;
}

NativeWindow TerminalProcess::LookForWindow()
{
    return TerminalWindow::Find(pid, &ruledOut);
}

bool TerminalProcess::GaveUpOnWindow() const
{
    return exited || std::chrono::steady_clock::now() - started >= windowDeadline;
}

void TerminalProcess::SetWindowDeadline(std::chrono::milliseconds deadline)
{
    windowDeadline = deadline;
}

std::chrono::milliseconds TerminalProcess::WindowDeadline()
{
    return windowDeadline;
}

void TerminalProcess::Release(std::chrono::milliseconds grace)
{
    released = true;
    if (exited) {
        delete this;
        return;
    }
    if (grace.count() <= 0)
        AskToEnd();
    else
        endTimer.StartOnce(static_cast<int>(grace.count()));
}

void TerminalProcess::LetRun()
{
    released = true;
    if (exited)
        delete this;
}

void TerminalProcess::EndWith(wxWindow* window)
{
    if (exited) {
        delete this;
        return;
    }
    owner = window;
    owner->Bind(wxEVT_DESTROY, &TerminalProcess::OnOwnerDestroyed, this);
}

void TerminalProcess::OnOwnerDestroyed(wxWindowDestroyEvent& event)
{
    event.Skip();
    // The event also reports the destruction of the owner's children.
    if (event.GetEventObject() != owner)
        return;
    owner->Unbind(wxEVT_DESTROY, &TerminalProcess::OnOwnerDestroyed, this);
    owner = nullptr;
    Release(std::chrono::milliseconds(0));
}

void TerminalProcess::AskToEnd()
{
    askedToEnd = true;
    Running().askedToEnd[pid] = true;
    wxKill(pid, wxSIGTERM);
    endTimer.StartOnce(1000);
}

size_t TerminalProcess::RunningCount()
{
    return Running().askedToEnd.size();
}

void TerminalProcess::OnEndTimer(wxTimerEvent&)
{
    if (exited)
        return;
    if (!askedToEnd)
        AskToEnd();
    else
        wxKill(pid, wxSIGKILL);
}

void TerminalProcess::OnTerminate(int, int)
{
    exited = true;
    endTimer.Stop();
    Running().askedToEnd.erase(pid);
    if (owner) {
        owner->Unbind(wxEVT_DESTROY, &TerminalProcess::OnOwnerDestroyed, this);
        owner = nullptr;
        released = true;
    }
    if (released)
        delete this;
}
