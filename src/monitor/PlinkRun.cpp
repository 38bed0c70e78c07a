#include "monitor/PlinkRun.h"

#include <algorithm>
#include <vector>
#include <wx/log.h>
#include <wx/timer.h>

wxDEFINE_EVENT(wxEVT_PLINK_RUN, wxCommandEvent);

namespace {
std::chrono::milliseconds timeout(20000);

// Every run still going is read on each tick of one shared timer, which runs only while there is
// one: a look costs two reads and a wait check, far less than a tick.
class Runs : public wxTimer {
public:
    static Runs& Get()
    {
        static Runs* runs = new Runs();  // never destroyed: runs may go at the program's end
        return *runs;
    }
    void Add(PlinkRun* run)
    {
        running.push_back(run);
        if (!IsRunning())
            Start(10);
    }
    void Remove(PlinkRun* run)
    {
        running.erase(std::remove(running.begin(), running.end(), run), running.end());
        if (running.empty())
            Stop();
    }
    void Notify() override
    {
        // A run that ends leaves the list while it is walked: the walk goes over a copy.
        std::vector<PlinkRun*> now = running;
        for (PlinkRun* run : now) {
            if (std::find(running.begin(), running.end(), run) != running.end())
                run->Poll();
        }
    }

private:
    std::vector<PlinkRun*> running;
};

wxString WithoutLineEnd(wxString line)
{
    while (!line.empty() && (line.Last() == '\n' || line.Last() == '\r'))
        line.RemoveLast();
    return line;
}
}  // namespace

void PlinkRun::SetTimeout(std::chrono::milliseconds value)
{
    timeout = value;
}

std::chrono::milliseconds PlinkRun::Timeout()
{
    return timeout;
}

PlinkRun::PlinkRun(const TerminalArguments& arguments, const wxString& command, wxEvtHandler* runListener,
                   int runId)
    : remoteCommand(command), listener(runListener), id(runId),
      deadline(std::chrono::steady_clock::now() + timeout)
{
    wxString error;
    if (!process.Start(arguments, error)) {
        result.reason = wxString::Format("Cannot start PLink (%s): %s",
                                         wxString::FromUTF8(arguments.Items().front().c_str()), error);
        Finish();
        return;
    }
    Runs::Get().Add(this);
}

PlinkRun::~PlinkRun()
{
    Runs::Get().Remove(this);
}

void PlinkRun::Poll()
{
    if (done)
        return;
    process.Read([this](const wxString& line, bool fromErrors) {
        wxString text = WithoutLineEnd(line);
        if (!fromErrors)
            result.output.Add(text);
        else if (!text.empty() && !PlinkProcess::IsLoginChatter(text))
            wxLogMessage("PLink, '%s': %s", remoteCommand, text);
    });
    if (process.Ended()) {
        Finish();
    } else if (std::chrono::steady_clock::now() >= deadline) {
        process.Kill();
        timedOut = true;
        Finish();
    }
}

void PlinkRun::Finish()
{
    done = true;
    Runs::Get().Remove(this);
    const wxString& lastError = process.LastError();
    result.status = process.ExitStatus();
    if (!result.reason.empty()) {
        result.failed = true;  // not started
    } else if (timedOut) {
        result.failed = true;
        result.reason = wxString::Format("PLink did not finish within %d seconds and was ended.",
                                         static_cast<int>((timeout.count() + 999) / 1000));
    } else if (lastError.StartsWith("FATAL ERROR")) {
        result.failed = true;  // PLink itself gave up: no connection, no login
        result.reason = lastError;
    } else if (result.status != 0 && result.output.empty()) {
        result.failed = true;
        result.reason = lastError.empty() ? wxString::Format("PLink ended with status %d.", result.status) : lastError;
    }
    // Told from the event loop: the listener may delete this run in its handler.
    wxCommandEvent event(wxEVT_PLINK_RUN, id);
    listener->AddPendingEvent(event);
}
