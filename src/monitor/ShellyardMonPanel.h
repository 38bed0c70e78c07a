#pragma once
// A monitor tab: watches one remote host through PLink without ever holding up the program. The loop
// command ("vmstat N") logs in once and offers its connection to the page's other runs: "uname",
// the system details and the process list (every 15.5 s) run over it as they are needed, each read
// as it comes and told by an event when it ends. When no sample has come for three intervals, the
// page says so and starts the loop again after growing pauses until data comes back; a refused
// login is shown and not tried again. The top row's Stop and Start end and begin monitoring with the
// interval given. The page owns every PLink it starts; none outlives it.
#include "monitor/CMonChart.h"
#include "monitor/ChartSeriesList.h"
#include "monitor/LoopRecovery.h"
#include "monitor/MonPanel.h"
#include "monitor/MonitorSummary.h"
#include "monitor/ProcessRow.h"
#include "monitor/VmstatParser.h"

#include <chrono>
#include <memory>
#include <vector>
#include <wx/datetime.h>
#include <wx/timer.h>

class DisplayProcess;
class PlinkRun;
class TerminalArguments;

// Sent to every watcher of the monitor pages (the overview) when a page has a new sample, changes
// its state, or goes.
wxDECLARE_EVENT(wxEVT_MONITOR_CHANGED, wxCommandEvent);

enum { ID_MONITOR_TIMER = 5000 };

class ShellyardMonPanel : public MonPanel {
public:
    explicit ShellyardMonPanel(wxWindow* parent);
    ~ShellyardMonPanel() override;

    // Where and how to log in; port may be empty (PLink's default). Without a password PLink logs
    // in with the PuTTY key file (when one is given) or through the agent.
    void SetMonitorTarget(const wxString& plinkPath, const wxString& host, const wxString& user,
                          const wxString& password, const wxString& loopCommand,
                          const wxString& port = wxString(), const wxString& keyFile = wxString());
    // Starts the loop command and, over its connection, the system information and the first
    // process list; returns at once, the answers fill the page as they come.
    void StartMonitoring();
    // Ends every PLink of the page; what it shows stays.
    void StopMonitoring();

    // One line of the loop command's output (or of PLink's diagnostics).
    void ParseVmstatLine(const wxString& line);
    // The loop process exited by itself; reason is PLink's last word on standard error.
    void OnLoopEnded(int status, const wxString& reason);

    MonitorSummary Summary() const;
    // Watchers get wxEVT_MONITOR_CHANGED from every page; each removes itself before it goes.
    static void AddWatcher(wxEvtHandler* watcher);
    static void RemoveWatcher(wxEvtHandler* watcher);

    // Process list sort state, shared by every page.
    static short sortColumn;
    static short sortDirection;

private:
    friend struct MonitorProbe;  // read access for the tests and the benchmark

    class DrawingTurns;
    // The page waits no longer for its turn to draw (it goes).
    void LeaveDrawingTurns();
    enum RunId { kSystemTypeRun = 1, kDetailsRun, kProcessListRun, kShareCheckRun };
    enum class Sharing { Unknown, Shared, Own };

    void OnStartStop(wxCommandEvent& event) override;
    void OnColumnClick(wxListEvent& event) override;
    void OnPollTimer(wxTimerEvent& event);
    void OnRestartTimer(wxTimerEvent& event);
    void OnShareCheckTimer(wxTimerEvent& event);
    void AskWhetherShared();
    void OnIdle(wxIdleEvent& event);
    void OnRunDone(wxCommandEvent& event);

    TerminalArguments PlinkArguments(const wxString& remoteCommand) const;
    void StartLoopCommand();
    void RegisterLoopProcess(DisplayProcess* process);
    void UnregisterLoopProcess();
    void ReadLoop();
    void LoopLoggedIn();
    void CheckSilence();
    void Restart(std::chrono::seconds pause);
    void EndRuns();
    void StartRun(std::unique_ptr<PlinkRun>& slot, RunId id, const wxString& remoteCommand);
    void StartNeededRuns();
    bool RunFailed(const PlinkRun& run);
    void CollectSystemInfo();
    void ShowSystemType(const wxArrayString& output);
    void ShowSystemDetails(const wxArrayString& output);
    void RefreshProcessList();
    void ShowProcessList(const wxArrayString& output);
    void ShowProcessRows();
    void RedrawCharts();
    void DrawNext();
    void ShowInfo();
    void ShowRunning(bool running);
    void Changed();
    static int wxCALLBACK CompareRows(wxIntPtr data1, wxIntPtr data2, wxIntPtr list);

    DisplayProcess* loopProcess = nullptr;
    std::unique_ptr<DisplayProcess> ownedLoop;  // the process loopProcess points to, or an ended one
    wxTimer pollTimer;
    VmstatParser vmstat;
    ChartSeriesList seriesList;
    CMonChart chart;
    std::vector<ProcessRow> processRows;
    std::vector<ProcessRow> nextRows;  // a list fetched and waiting for its turn to be shown
    bool rowsDue = false;
    bool chartsDue = false;            // a sample waits for its turn to be drawn
    wxString plinkPath;
    wxString host;
    wxString user;
    wxString password;
    wxString loopCommand;
    wxString port;
    wxString keyFile;
    wxString systemType;
    unsigned short tickCount = 0;

    // The runs over the loop's connection, at most one of each kind at a time.
    std::unique_ptr<PlinkRun> systemTypeRun, detailsRun, processListRun, shareCheck;
    Sharing sharing = Sharing::Unknown;
    bool shareCheckAfterLogin = false;  // the last question was asked once the loop had logged in
    bool canShare = false;     // this PLink offers connection sharing
    bool systemTypeShown = false;
    bool detailsShown = false;
    bool listShown = false;    // a first process list has been fetched since the start

    // Monitoring state.
    bool monitoring = false;   // between a start and Stop, a refusal or the page's end
    bool refused = false;      // the last start ended in a refusal, shown as the reason
    bool loopLoggedIn = false; // the running loop has written to standard output
    int interval = 5;          // seconds between samples (the loop command's argument)
    std::chrono::steady_clock::time_point lastData;     // last sample, or the start of monitoring
    std::chrono::steady_clock::time_point loopStarted;  // the loop's last start
    wxDateTime lastSample;     // local time of the last sample; invalid before the first
    wxDateTime startedAt;      // local time monitoring last started
    bool sampledSinceStart = false;
    bool noData = false;       // silent for three intervals: the note is shown
    wxDateTime noDataSince;    // when the last sample came, or monitoring started
    LoopRecovery recovery;
    wxTimer restartTimer;
    wxTimer shareCheckTimer;

    // What infoText shows: the system type and details, then the notes of the moment.
    wxString infoBase;
    wxString reason;           // the last failure worth showing, as PLink said it

    wxDECLARE_EVENT_TABLE();
};
