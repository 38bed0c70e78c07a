#include "monitor/ShellyardMonPanel.h"

#include "session/KeyFile.h"

#include "monitor/ClockText.h"
#include "monitor/DisplayProcess.h"
#include "monitor/MonitorCommands.h"
#include "monitor/NumberText.h"
#include "monitor/PlinkRun.h"
#include "session/PasswordHandOver.h"

#include <algorithm>
#include <wx/log.h>

wxDEFINE_EVENT(wxEVT_MONITOR_CHANGED, wxCommandEvent);

namespace {
const char* const kColumnTitles[] = {"Process ID", "Command", "Virtual SZ", "%CPU", "USER"};
const int kRefreshTicks = 30;  // the list is refreshed on every 31st tick of 500 ms
const int kQuietIntervals = 3;  // samples missed before the page says that no data comes
const int kShareCheckPause = 25;  // ms between questions whether the loop's connection can be shared
enum { ID_RESTART_TIMER = ID_MONITOR_TIMER + 1, ID_SHARE_CHECK_TIMER };

std::string Utf8(const wxString& text)
{
    return std::string(text.utf8_str());
}

std::vector<wxEvtHandler*>& Watchers()
{
    static std::vector<wxEvtHandler*> watchers;
    return watchers;
}

}  // namespace

wxBEGIN_EVENT_TABLE(ShellyardMonPanel, MonPanel)
    EVT_TIMER(ID_MONITOR_TIMER, ShellyardMonPanel::OnPollTimer)
    EVT_TIMER(ID_RESTART_TIMER, ShellyardMonPanel::OnRestartTimer)
    EVT_TIMER(ID_SHARE_CHECK_TIMER, ShellyardMonPanel::OnShareCheckTimer)
    EVT_IDLE(ShellyardMonPanel::OnIdle)
wxEND_EVENT_TABLE()

ShellyardMonPanel::ShellyardMonPanel(wxWindow* parent)
    : MonPanel(parent), pollTimer(this, ID_MONITOR_TIMER), restartTimer(this, ID_RESTART_TIMER),
      shareCheckTimer(this, ID_SHARE_CHECK_TIMER)
{
    for (int column = 0; column < 5; ++column)
        processList->InsertColumn(column, kColumnTitles[column]);
    for (int column = 0; column < 5; ++column)
        processList->SetColumnWidth(column, wxLIST_AUTOSIZE_USEHEADER);
    Bind(wxEVT_PLINK_RUN, &ShellyardMonPanel::OnRunDone, this);
    infoBase = "System  Type: ";
}

ShellyardMonPanel::~ShellyardMonPanel()
{
    LeaveDrawingTurns();
    StopMonitoring();
    Changed();  // the overview drops this page
}

void ShellyardMonPanel::SetMonitorTarget(const wxString& plinkPathValue, const wxString& hostValue,
                                         const wxString& userValue, const wxString& passwordValue,
                                         const wxString& loopCommandValue, const wxString& portValue,
                                         const wxString& keyFileValue)
{
    keyFile = keyFileValue;
    plinkPath = plinkPathValue;
    host = hostValue;
    user = userValue;
    password = passwordValue;
    loopCommand = loopCommandValue;
    port = portValue;
}

void ShellyardMonPanel::AddWatcher(wxEvtHandler* watcher)
{
    Watchers().push_back(watcher);
}

void ShellyardMonPanel::RemoveWatcher(wxEvtHandler* watcher)
{
    auto& watchers = Watchers();
    watchers.erase(std::remove(watchers.begin(), watchers.end(), watcher), watchers.end());
}

// Told from the event loop, so that a watcher never runs inside a page's handling.
void ShellyardMonPanel::Changed()
{
    for (wxEvtHandler* watcher : Watchers()) {
        wxCommandEvent event(wxEVT_MONITOR_CHANGED);
        watcher->AddPendingEvent(event);
    }
}

TerminalArguments ShellyardMonPanel::PlinkArguments(const wxString& remoteCommand) const
{
    return TerminalArguments::ForPlink(Utf8(plinkPath), Utf8(host), Utf8(port), Utf8(user), Utf8(password),
                                       Utf8(remoteCommand), sharing == Sharing::Shared, Utf8(keyFile));
}

void ShellyardMonPanel::StartMonitoring()
{
    loopProcess = nullptr;
    pollTimer.SetOwner(this, ID_MONITOR_TIMER);
    monitoring = true;
    refused = false;
    reason.clear();
    noData = false;
    listShown = false;
    sampledSinceStart = false;
    tickCount = 0;
    startedAt = wxDateTime::Now();
    lastData = std::chrono::steady_clock::now();
    recovery.Reset();
    // Every PLink that takes its password from a file (0.77 and later) also shares connections; an
    // older one logs in for every run, as it always did.
    canShare = PasswordHandOver::ReadsPasswordFile(Utf8(plinkPath));
    if (!canShare)
        wxLogMessage("Monitoring of %s: %s cannot share its connection; every run logs in on its own", host,
                     plinkPath);
    // PLink in the background has nobody to ask for a passphrase: say so rather than fail later.
    if (!keyFile.empty() && KeyFile::Of(Utf8(keyFile)).passphrase) {
        wxLogMessage("Monitoring of %s: the key %s needs its passphrase", host, keyFile);
        reason = wxString::Format(_("the key %s needs its passphrase, which PLink cannot ask for in the background. "
                                    "Use a key without passphrase or the agent for monitoring."),
                                  keyFile);
        refused = true;
        monitoring = false;
        ShowRunning(false);
        ShowInfo();
        Changed();
        return;
    }
    ShowRunning(true);
    pollTimer.Start(500);
    StartLoopCommand();
    ShowInfo();
    Changed();
}

void ShellyardMonPanel::StopMonitoring()
{
    monitoring = false;
    pollTimer.Stop();
    restartTimer.Stop();
    shareCheckTimer.Stop();
    if (loopProcess) {
        loopProcess->KillProcess();
        UnregisterLoopProcess();
    }
    ownedLoop.reset();
    EndRuns();
    shareCheck.reset();
    loopLoggedIn = false;
}

// The loop logs in with connection sharing on: it becomes the holder of the page's connection (or
// uses one that another page of the same host and user already holds), and the page's other runs go
// over it as soon as PLink says it can be shared.
void ShellyardMonPanel::StartLoopCommand()
{
    if (loopCommand.empty())
        return;
    sharing = canShare ? Sharing::Unknown : Sharing::Own;
    loopLoggedIn = false;
    loopStarted = std::chrono::steady_clock::now();
    auto process = std::make_unique<DisplayProcess>(this);
    wxString error;
    TerminalArguments arguments = TerminalArguments::ForPlink(Utf8(plinkPath), Utf8(host), Utf8(port), Utf8(user),
                                                              Utf8(password), Utf8(loopCommand), canShare, Utf8(keyFile));
    if (!process->Start(arguments, error)) {
        wxLogError("Execution of Loop Command failed.");
        OnLoopEnded(-1, wxString::Format("Cannot start PLink (%s): %s", plinkPath, error));
        return;
    }
    ownedLoop = std::move(process);
    RegisterLoopProcess(ownedLoop.get());
    if (sharing == Sharing::Unknown)
        AskWhetherShared();
    else
        StartNeededRuns();
}

void ShellyardMonPanel::RegisterLoopProcess(DisplayProcess* process)
{
    if (loopProcess)
        return;
    loopProcess = process;
}

void ShellyardMonPanel::UnregisterLoopProcess()
{
    loopProcess = nullptr;
    loopLoggedIn = false;
}

void ShellyardMonPanel::ReadLoop()
{
    DisplayProcess* process = loopProcess;
    if (!process)
        return;
    process->ReadOutput();
    // An ended loop is let go here, once the call that told of its end has returned.
    if (process->HasTerminated()) {
        if (ownedLoop.get() == process)
            ownedLoop.reset();
        return;
    }
    if (!loopLoggedIn && process->SawOutput())
        LoopLoggedIn();
}

void ShellyardMonPanel::LoopLoggedIn()
{
    loopLoggedIn = true;
    // A question asked before the connection was up may have been answered "no" too early; one
    // asked now is the last word.
    if (sharing == Sharing::Unknown && !shareCheck) {
        shareCheckTimer.Stop();
        AskWhetherShared();
    }
    StartNeededRuns();
    Changed();
}

void ShellyardMonPanel::OnShareCheckTimer(wxTimerEvent&)
{
    AskWhetherShared();
}

// PLink is asked whether the page's connection can be shared: the loop offers it from the moment it
// starts to log in, well before it is logged in. A run that asked for sharing before that moment
// would take the holder's part itself, or wait for ever beside the loop.
void ShellyardMonPanel::AskWhetherShared()
{
    if (!loopProcess || sharing != Sharing::Unknown || shareCheck)
        return;
    TerminalArguments check = TerminalArguments::ForPlinkShareCheck(Utf8(plinkPath), Utf8(host), Utf8(port), Utf8(user));
    shareCheck = std::make_unique<PlinkRun>(check, "-shareexists", this, kShareCheckRun);
    shareCheckAfterLogin = loopLoggedIn;
}

void ShellyardMonPanel::OnPollTimer(wxTimerEvent&)
{
    // The loop's output is read at least every tick. Reading here rather than waking the toolkit's
    // idle processing spares a pass over every window of the program twice a second per page.
    ReadLoop();
    CheckSilence();
    if (tickCount != kRefreshTicks) {
        ++tickCount;
        return;
    }
    tickCount = 0;
    // While the host does not answer, the list keeps what it showed.
    if (loopLoggedIn) {
        listShown = false;
        StartNeededRuns();
    }
}

void ShellyardMonPanel::OnIdle(wxIdleEvent& event)
{
    event.Skip();
    ReadLoop();
}

// Three intervals without a sample: the page says so, and a loop that still runs (its connection
// hangs, the host has gone) is ended and started again after a pause. A loop still logging in gets
// the runs' time-out instead, so that a slow login is not cut short.
void ShellyardMonPanel::CheckSilence()
{
    if (!monitoring)
        return;
    const auto now = std::chrono::steady_clock::now();
    const std::chrono::seconds quietLimit(kQuietIntervals * interval);
    if (now - lastData < quietLimit)
        return;
    if (!noData) {
        noData = true;
        noDataSince = lastSample.IsValid() ? lastSample : startedAt;
        wxLogMessage("Monitoring of %s: no data from the host since %s", host, ClockText::Time(noDataSince));
        ShowInfo();
        Changed();
    }
    const auto quiet = now - std::max(lastData, loopStarted);
    if (!loopProcess || quiet < quietLimit || (!loopLoggedIn && quiet < PlinkRun::Timeout()))
        return;
    wxLogMessage("Monitoring of %s: the loop command '%s' brought nothing for %ld s and is ended", host, loopCommand,
                 static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(quiet).count()));
    loopProcess->KillProcess();
    UnregisterLoopProcess();
    ownedLoop.reset();
    if (sharing == Sharing::Shared)
        EndRuns();
    shareCheck.reset();
    Restart(recovery.NextPause());
}

void ShellyardMonPanel::OnLoopEnded(int status, const wxString& lastError)
{
    wxString why = lastError.empty() ? wxString::Format("PLink exited with status %d.", status) : lastError;
    wxLogMessage("Monitoring of %s: the loop command '%s' ended with exit status %d: %s", host, loopCommand, status,
                 why);
    UnregisterLoopProcess();
    shareCheckTimer.Stop();
    shareCheck.reset();
    // Runs over its connection end with it.
    if (sharing == Sharing::Shared)
        EndRuns();
    reason = why;
    if (!LoopRecovery::Retries(why)) {
        // Trying again would be refused the same way: the user has to act first.
        refused = true;
        monitoring = false;
        pollTimer.Stop();
        restartTimer.Stop();
        EndRuns();
        noData = false;
        ShowRunning(false);
    } else {
        Restart(recovery.NextPause());
    }
    ShowInfo();
    Changed();
}

void ShellyardMonPanel::Restart(std::chrono::seconds pause)
{
    wxLogMessage("Monitoring of %s: the loop command starts again in %ld s", host, static_cast<long>(pause.count()));
    restartTimer.StartOnce(static_cast<int>(std::chrono::milliseconds(pause).count()));
    Changed();
}

void ShellyardMonPanel::OnRestartTimer(wxTimerEvent&)
{
    if (monitoring && !loopProcess)
        StartLoopCommand();
}

void ShellyardMonPanel::EndRuns()
{
    systemTypeRun.reset();
    detailsRun.reset();
    processListRun.reset();
}

void ShellyardMonPanel::StartRun(std::unique_ptr<PlinkRun>& slot, RunId id, const wxString& remoteCommand)
{
    slot = std::make_unique<PlinkRun>(PlinkArguments(remoteCommand), remoteCommand, this, id);
}

// What the page still lacks, in the order it is shown: the system type, its details, the process
// list. Each waits only for what it depends on; none waits for another run's login.
void ShellyardMonPanel::StartNeededRuns()
{
    if (!monitoring || sharing == Sharing::Unknown)
        return;
    if (!systemTypeShown) {
        if (!systemTypeRun)
            CollectSystemInfo();
        return;
    }
    if (!detailsShown && !detailsRun) {
        wxString details = MonitorCommands::SystemDetails(systemType);
        if (details.empty())
            detailsShown = true;
        else
            StartRun(detailsRun, kDetailsRun, details);
    }
    if (!listShown && !processListRun)
        RefreshProcessList();
}

void ShellyardMonPanel::OnRunDone(wxCommandEvent& event)
{
    std::unique_ptr<PlinkRun>* slot = nullptr;
    switch (event.GetId()) {
    case kSystemTypeRun: slot = &systemTypeRun; break;
    case kDetailsRun: slot = &detailsRun; break;
    case kProcessListRun: slot = &processListRun; break;
    case kShareCheckRun: slot = &shareCheck; break;
    default: return;
    }
    // A run ended or replaced since it told is no longer asked about.
    if (!*slot || !(*slot)->IsDone())
        return;
    std::unique_ptr<PlinkRun> run = std::move(*slot);
    const PlinkRunResult& result = run->Result();
    switch (event.GetId()) {
    case kShareCheckRun:
        if (result.status == 0) {
            sharing = Sharing::Shared;
            StartNeededRuns();
        } else if (shareCheckAfterLogin) {
            sharing = Sharing::Own;
            wxLogMessage("Monitoring of %s: PLink's connection cannot be shared; every run logs in on its own", host);
            StartNeededRuns();
        } else if (loopLoggedIn) {
            AskWhetherShared();
        } else if (loopProcess) {
            shareCheckTimer.StartOnce(kShareCheckPause);
        }
        break;
    case kSystemTypeRun:
        if (!RunFailed(*run))
            ShowSystemType(result.output);
        break;
    case kDetailsRun:
        if (!RunFailed(*run))
            ShowSystemDetails(result.output);
        break;
    case kProcessListRun:
        if (!RunFailed(*run))
            ShowProcessList(result.output);
        break;
    }
}

// A failed run is logged. Its reason is shown when the run stood on its own: one over the loop's
// connection that fails while the loop has not logged in fails because of the loop, whose own end
// tells why. What it was to fetch is fetched again later.
bool ShellyardMonPanel::RunFailed(const PlinkRun& run)
{
    const PlinkRunResult& result = run.Result();
    if (!result.failed) {
        if (!refused && !reason.empty()) {
            reason.clear();
            ShowInfo();
        }
        return false;
    }
    wxLogError("Execution of '%s' failed.", run.RemoteCommand());
    if (loopLoggedIn || sharing == Sharing::Own) {
        reason = result.reason;
        ShowInfo();
    }
    return true;
}

void ShellyardMonPanel::CollectSystemInfo()
{
    StartRun(systemTypeRun, kSystemTypeRun, MonitorCommands::SystemType());
}
