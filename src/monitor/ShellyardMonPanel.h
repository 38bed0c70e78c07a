#pragma once
// A monitor tab: watches one remote host through PLink. At the start it runs "uname" and the
// system details command, starts the loop command ("vmstat 5") whose lines feed the CPU and memory
// charts, and runs the process list, which a 500 ms timer refreshes every 31st tick (15.5 s). The
// page owns its loop process and ends it when it is closed; no PLink outlives the page.
#include "monitor/CMonChart.h"
#include "monitor/ChartSeriesList.h"
#include "monitor/MonPanel.h"
#include "monitor/ProcessRow.h"
#include "monitor/VmstatParser.h"

#include <memory>
#include <vector>
#include <wx/timer.h>

class DisplayProcess;
class TerminalArguments;
struct PlinkRunResult;

enum { ID_MONITOR_TIMER = 5000 };

class ShellyardMonPanel : public MonPanel {
public:
    explicit ShellyardMonPanel(wxWindow* parent);
    ~ShellyardMonPanel() override;

    // Where and how to log in; port may be empty (PLink's default).
    void SetMonitorTarget(const wxString& plinkPath, const wxString& host, const wxString& user,
                          const wxString& password, const wxString& loopCommand,
                          const wxString& port = wxString());
    // System information, the loop command and the first process list; returns once the first two
    // and the list are there (the windows are disabled meanwhile).
    void StartMonitoring();
    void StopMonitoring();

    // One line of the loop command's output (or of PLink's diagnostics).
    void ParseVmstatLine(const wxString& line);
    // The loop process exited by itself; reason is PLink's last word on standard error.
    void OnLoopEnded(int status, const wxString& reason);

    // Process list sort state, shared by every page.
    static short sortColumn;
    static short sortDirection;

private:
    friend struct MonitorProbe;  // read access for the tests and the benchmark

    void OnColumnClick(wxListEvent& event) override;
    void OnPollTimer(wxTimerEvent& event);
    void OnIdle(wxIdleEvent& event);

    TerminalArguments PlinkArguments(const wxString& remoteCommand) const;
    PlinkRunResult RunRemote(const wxString& remoteCommand);
    void ShowFailure(const wxString& reason);
    void CollectSystemInfo();
    void StartLoopCommand(const wxString& remoteCommand);
    void RegisterLoopProcess(DisplayProcess* process);
    void UnregisterLoopProcess(DisplayProcess* process);
    void RefreshProcessList();
    void ShowProcessRows();
    void RedrawCharts();
    static int wxCALLBACK CompareRows(wxIntPtr data1, wxIntPtr data2, wxIntPtr list);

    DisplayProcess* loopProcess = nullptr;
    std::unique_ptr<DisplayProcess> ownedLoop;  // the process loopProcess points to, or an ended one
    wxTimer pollTimer;
    VmstatParser vmstat;
    ChartSeriesList seriesList;
    CMonChart chart;
    std::vector<ProcessRow> processRows;
    wxString plinkPath;
    wxString host;
    wxString user;
    wxString password;
    wxString loopCommand;
    wxString port;
    wxString systemType;
    unsigned short tickCount = 0;
    wxString lastShownFailure;  // a failure that repeats is shown once

    wxDECLARE_EVENT_TABLE();
};
