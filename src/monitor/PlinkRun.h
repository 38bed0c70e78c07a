#pragma once
// One remote command run through PLink to its end without anyone waiting for it: a timer shared by
// every run reads each running PLink about every 10 ms, collects standard output as lines and logs
// standard error, and when PLink has ended (or the time-out has ended it) the listener gets a
// wxEVT_PLINK_RUN event with the run's id. The holder owns the run and with it PLink: a run that
// goes before it is done kills PLink and tells nothing.
#include "monitor/PlinkProcess.h"

#include <chrono>
#include <memory>
#include <wx/arrstr.h>
#include <wx/event.h>
#include <wx/string.h>

wxDECLARE_EVENT(wxEVT_PLINK_RUN, wxCommandEvent);

struct PlinkRunResult {
    bool failed = false;
    int status = 0;        // PLink's exit status
    wxArrayString output;  // standard output, one line each, without line ends
    wxString reason;       // why it failed, as PLink said it (its "FATAL ERROR: ..." line) or ours
};

class PlinkRun {
public:
    // Starts PLink at once; remoteCommand is the part of the arguments that may be logged. A PLink
    // that cannot be started is a failed run, told like any other.
    PlinkRun(const TerminalArguments& arguments, const wxString& remoteCommand, wxEvtHandler* listener, int id);
    ~PlinkRun();
    PlinkRun(const PlinkRun&) = delete;
    PlinkRun& operator=(const PlinkRun&) = delete;

    bool IsDone() const { return done; }
    const PlinkRunResult& Result() const { return result; }
    long Pid() const { return process.Pid(); }
    const wxString& RemoteCommand() const { return remoteCommand; }

    // One look: reads what has arrived; tells the listener once PLink has ended or timed out.
    void Poll();

    // 20 seconds unless changed (tests use less).
    static void SetTimeout(std::chrono::milliseconds timeout);
    static std::chrono::milliseconds Timeout();

private:
    void Finish();

    PlinkProcess process;
    wxString remoteCommand;
    wxEvtHandler* listener;
    int id;
    std::chrono::steady_clock::time_point deadline;
    PlinkRunResult result;
    bool timedOut = false;
    bool done = false;
};
