#include "session/TerminalProcess.h"

#include "session/PasswordHandOver.h"
#include "session/TerminalWindow.h"

#include <map>
#include <vector>
#include <wx/evtloop.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/utils.h>

#ifndef __WXMSW__
#include <cstring>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

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

#ifndef __WXMSW__
// Started programs are reaped here rather than by the toolkit, which only reaps the children it
// forked itself. A timer looks for exited ones while any runs; a caller waiting for one looks too.
class ExitWatch : public wxTimer {
public:
    static ExitWatch& Get()
    {
        // Never destroyed: it may still be needed while the program's statics go away.
        static ExitWatch* watch = new ExitWatch();
        return *watch;
    }
    void Add(long pid, TerminalProcess* process)
    {
        watched[pid] = process;
        if (!IsRunning())
            Start(100);
    }
    void Remove(long pid)
    {
        watched.erase(pid);
        if (watched.empty())
            Stop();
    }
    // Reaps pid if it has exited; its process object hears of it (and may delete itself).
    void Check(long pid)
    {
        auto found = watched.find(pid);
        if (found == watched.end())
            return;
        int status = 0;
        pid_t reaped = waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
        if (reaped == 0)
            return;
        TerminalProcess* process = found->second;
        Remove(pid);
        int code = reaped < 0 ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        process->OnTerminate(static_cast<int>(pid), code);
    }
    void Notify() override
    {
        std::vector<long> pids;
        for (const auto& entry : watched)
            pids.push_back(entry.first);
        for (long pid : pids)
            Check(pid);
    }

private:
    std::map<long, TerminalProcess*> watched;
};

// Starts argv (null-terminated, the program looked up on PATH) with GDK_BACKEND=x11 in an
// otherwise unchanged environment, without copying this large process first (vfork-style spawn).
// The program gets our standard streams, the password's pipe (secretEnd) if any, none of our other
// files, and the default signal handling;
// with ownSession, a session (and process group) of its own.
long Spawn(std::vector<const char*> argv, bool ownSession = false, int secretEnd = -1)
{
    std::vector<char*> environment;
    for (char** entry = environ; entry && *entry; ++entry) {
        if (strncmp(*entry, "GDK_BACKEND=", 12) != 0)
            environment.push_back(*entry);
    }
    static char x11Backend[] = "GDK_BACKEND=x11";
    environment.push_back(x11Backend);
    environment.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int firstClosed = 3;
    if (secretEnd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, secretEnd, PasswordHandOver::kChildDescriptor);
        firstClosed = PasswordHandOver::kChildDescriptor + 1;
    }
    posix_spawn_file_actions_addclosefrom_np(&actions, firstClosed);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | (ownSession ? POSIX_SPAWN_SETSID : 0));
    pid_t pid = 0;
    int failed = posix_spawnp(&pid, argv[0], &actions, &attributes, const_cast<char* const*>(argv.data()),
                              environment.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) {
        wxLogMessage("Cannot start %s: %s", argv[0], strerror(failed));
        return 0;
    }
    return pid;
}
#endif

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

TerminalProcess* TerminalProcess::Start(const TerminalArguments& arguments, Ownership ownership)
{
    if (arguments.Items().empty() || !IsStartable(arguments.Items().front()))
        return nullptr;
    // The program's standard streams are left alone rather than redirected into pipes that nobody
    // reads: a chatty program would otherwise stall once a pipe is full.
    TerminalProcess* process = new TerminalProcess();
    // The password, if any, goes through a pipe rather than the argument list.
    TerminalArguments started = arguments;
    std::string notice;
    std::unique_ptr<PasswordHandOver> password = PasswordHandOver::Take(started, &notice);
    if (!notice.empty())
        wxLogMessage("%s", wxString::FromUTF8(notice.c_str()));
#ifdef __WXMSW__
    long pid = wxExecute(started.Argv().data(), wxEXEC_ASYNC, process);
#else
    long pid = Spawn(started.Argv(), ownership == UsersOwn, password ? password->ChildEnd() : -1);
#endif
    if (password)
        password->Started();
    if (pid <= 0) {
        delete process;  // never handed to a running program
        return nullptr;
    }
#ifndef __WXMSW__
    ExitWatch::Get().Add(pid, process);
#endif
    process->pid = pid;
    process->started = std::chrono::steady_clock::now();
    if (ownership == EndedWithShellyard)
        Running().askedToEnd[pid] = false;
    return process;
}

NativeWindow TerminalProcess::LookForWindow()
{
#ifndef __WXMSW__
    ExitWatch::Get().Check(pid);  // a program that exited at once is noticed now
#endif
    if (exited)
        return 0;
    return TerminalWindow::Find(pid, &windowSearch);
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
    if (released)
        delete this;
}
