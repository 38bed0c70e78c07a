#include "session/TerminalProcess.h"

#include "session/PasswordHandOver.h"
#include "session/ProcessIdentity.h"
#include "session/TerminalWindow.h"

#include <map>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/process.h>
#include <wx/timer.h>
#include <wx/utils.h>

#ifndef __WXMSW__
#include "session/SpawnUnix.h"

#include <cerrno>
#include <sys/wait.h>
#endif

using Clock = std::chrono::steady_clock;

namespace {

std::chrono::milliseconds windowDeadline(10000);
const std::chrono::milliseconds kKillAfter(1000);  // from asking a program to end to killing it

// Every program we started and have not reaped yet. A held one belongs to its TerminalProcess; a
// let-go one is ended here (asked, then killed), and the user's own are only reaped. A timer looks
// for exited ones while any is listed. Whatever of ours is left when Shellyard ends is ended with it.
// Programs taken over from an earlier run are listed too, known by their start mark.
class Programs : public wxTimer {
public:
    // Never destroyed: it may still be needed while the program's statics go away.
    static Programs& Get()
    {
        if (!instance)
            instance = new Programs();
        return *instance;
    }
    static Programs* instance;

    void Add(long pid, bool ours, const std::string& startMark = std::string())
    {
        Entry entry;
        entry.ours = ours;
        entry.held = ours;
        entry.startMark = startMark;
        entries[pid] = entry;
        Watch();
    }
    // Not ours any more: neither ended nor watched.
    void Forget(long pid) { entries.erase(pid); }
    // True once pid has exited (reaping it); a program no longer listed has.
    bool Exited(long pid)
    {
        Check(pid);
        auto found = entries.find(pid);
        return found == entries.end() || found->second.exited;
    }
    // The holder lets go: a program still running is asked to end once grace has passed.
    void LetGo(long pid, std::chrono::milliseconds grace)
    {
        auto found = entries.find(pid);
        if (found == entries.end())
            return;
        Entry& entry = found->second;
        entry.held = false;
        if (entry.exited) {
            entries.erase(found);
            return;
        }
        entry.nextStep = Clock::now() + grace;
        if (grace.count() <= 0)
            Step(pid, entry);
        Watch();
    }
    size_t Ours() const
    {
        size_t count = 0;
        for (const auto& entry : entries)
            count += entry.second.ours && !entry.second.exited ? 1 : 0;
        return count;
    }
    // At the program's end: ours that still run are ended with it (killed if asked already).
    void EndOurs()
    {
        for (auto& entry : entries) {
            if (entry.second.ours && !entry.second.exited && StillTheSame(entry.first, entry.second))
                wxKill(entry.first, entry.second.askedToEnd ? wxSIGKILL : wxSIGTERM);
        }
    }

private:
    struct Entry {
        bool ours = true;   // ended when let go, and when Shellyard ends
        bool held = true;   // a TerminalProcess holds it
        bool exited = false;
        bool askedToEnd = false;
        Clock::time_point nextStep{};
        std::string startMark;  // of a program taken over: it is not our child
    };

    // A program taken over may have ended and its identifier gone to another process since we last
    // looked; our own children keep theirs until we reap them.
    static bool StillTheSame(long pid, const Entry& entry)
    {
        return entry.startMark.empty() || ProcessIdentity::StartMark(pid) == entry.startMark;
    }

    void Watch()
    {
        if (!entries.empty() && !IsRunning())
            Start(100);
    }

    // Reaps pid if it has exited: a held one is marked, any other leaves the list.
    void Check(long pid)
    {
        auto found = entries.find(pid);
        if (found == entries.end() || found->second.exited)
            return;
        bool gone = false;
        if (!found->second.startMark.empty()) {
            gone = !StillTheSame(pid, found->second);
        } else {
#ifdef __WXMSW__
            gone = !wxProcess::Exists(static_cast<int>(pid));
#else
            int status = 0;
            pid_t reaped = waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
            gone = reaped == pid || (reaped < 0 && errno == ECHILD);
#endif
        }
        if (!gone)
            return;
        if (found->second.held)
            found->second.exited = true;
        else
            entries.erase(found);
    }

    // The next step of ending a let-go program: ask it, then kill it (again, until it is gone).
    void Step(long pid, Entry& entry)
    {
        if (!entry.ours || !StillTheSame(pid, entry))
            return;
        wxKill(pid, entry.askedToEnd ? wxSIGKILL : wxSIGTERM);
        entry.askedToEnd = true;
        entry.nextStep = Clock::now() + kKillAfter;
    }

    void Notify() override
    {
        std::vector<long> pids;
        for (const auto& entry : entries)
            pids.push_back(entry.first);
        const auto now = Clock::now();
        for (long pid : pids) {
            Check(pid);
            auto found = entries.find(pid);
            if (found != entries.end() && !found->second.held && !found->second.exited && now >= found->second.nextStep)
                Step(pid, found->second);
        }
        if (entries.empty())
            Stop();
    }

    std::map<long, Entry> entries;
};

Programs* Programs::instance = nullptr;

// Ends ours with the program, whichever way it ends normally.
struct EndOursAtExit {
    ~EndOursAtExit()
    {
        if (Programs::instance)
            Programs::instance->EndOurs();
    }
} endOursAtExit;

// Starts the program: our standard streams (left alone rather than redirected into pipes that
// nobody reads: a chatty program would stall once one is full), the X11 backend, the password
// through a pipe. Returns its process id, 0 when it could not be started.
long StartProgram(const TerminalArguments& arguments, bool ownSession)
{
    if (arguments.Items().empty() ||
        TerminalProcess::CheckLocation(arguments.Items().front()) != TerminalProcess::Location::Startable)
        return 0;
    TerminalArguments started = arguments;
    std::string notice;
    std::unique_ptr<PasswordHandOver> password = PasswordHandOver::Take(started, &notice);
    if (!notice.empty())
        wxLogMessage("%s", wxString::FromUTF8(notice.c_str()));
#ifdef __WXMSW__
    long pid = wxExecute(started.Argv().data(), wxEXEC_ASYNC | (ownSession ? wxEXEC_MAKE_GROUP_LEADER : 0));
#else
    SpawnUnix spawn;
    spawn.arguments = started.Items();
    spawn.x11Backend = true;
    spawn.ownSession = ownSession;
    if (password)
        spawn.secretEnds.push_back(password->ChildEnd());
    std::string error;
    long pid = spawn.Run(&error);
    if (!pid)
        wxLogMessage("Cannot start %s: %s", wxString::FromUTF8(started.Items().front().c_str()),
                     wxString::FromUTF8(error.c_str()));
#endif
    if (password)
        password->Started();
    return pid > 0 ? pid : 0;
}

}  // namespace

// Checking first gives the user an answer now rather than after the fact.
TerminalProcess::Location TerminalProcess::CheckLocation(const std::string& location)
{
    if (location.empty())
        return Location::Empty;
    wxString path = wxString::FromUTF8(location.c_str());
    if (!path.Contains(wxFILE_SEP_PATH)) {
        wxPathList searchPath;
        searchPath.AddEnvList("PATH");
        path = searchPath.FindAbsoluteValidPath(path);
        if (path.empty())
            return Location::NotFound;
    }
    if (wxFileName::DirExists(path))
        return Location::Folder;
    if (!wxFileName::FileExists(path))
        return Location::NotFound;
    return wxFileName::IsFileExecutable(path) ? Location::Startable : Location::NotExecutable;
}

TerminalProcess::TerminalProcess(long processId) : pid(processId), started(Clock::now()) {}

std::unique_ptr<TerminalProcess> TerminalProcess::Start(const TerminalArguments& arguments)
{
    long pid = StartProgram(arguments, false);
    if (!pid)
        return nullptr;
    Programs::Get().Add(pid, true);
    return std::unique_ptr<TerminalProcess>(new TerminalProcess(pid));
}

bool TerminalProcess::StartUsersOwn(const TerminalArguments& arguments)
{
    long pid = StartProgram(arguments, true);
    if (!pid)
        return false;
    Programs::Get().Add(pid, false);
    Programs::Get().LetGo(pid, std::chrono::milliseconds(0));  // held by nobody, only reaped
    return true;
}

std::unique_ptr<TerminalProcess> TerminalProcess::TakeOver(long pid, const std::string& startMark)
{
    if (pid <= 0 || startMark.empty() || ProcessIdentity::StartMark(pid) != startMark)
        return nullptr;
    Programs::Get().Add(pid, true, startMark);
    return std::unique_ptr<TerminalProcess>(new TerminalProcess(pid));
}

TerminalProcess::~TerminalProcess()
{
    if (!disowned)
        Programs::Get().LetGo(pid, endGrace);
}

void TerminalProcess::Disown()
{
    disowned = true;
    Programs::Get().Forget(pid);
}

NativeWindow TerminalProcess::LookForWindow()
{
    if (HasExited())
        return 0;
    return TerminalWindow::Find(pid, &windowSearch);
}

bool TerminalProcess::GaveUpOnWindow()
{
    return HasExited() || Clock::now() - started >= windowDeadline;
}

void TerminalProcess::SetWindowDeadline(std::chrono::milliseconds deadline)
{
    windowDeadline = deadline;
}

std::chrono::milliseconds TerminalProcess::WindowDeadline()
{
    return windowDeadline;
}

bool TerminalProcess::HasExited()
{
    return Programs::Get().Exited(pid);
}

size_t TerminalProcess::RunningCount()
{
    return Programs::Get().Ours();
}
