#include "monitor/ShellyardMonPanel.h"

#include "monitor/DisplayProcess.h"
#include "monitor/MonitorCommands.h"
#include "monitor/PlinkRun.h"

#include <algorithm>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/log.h>
#include <wx/statbmp.h>
#include <wx/textctrl.h>
#include <wx/utils.h>
#include <wx/weakref.h>

short ShellyardMonPanel::sortColumn = -1;
short ShellyardMonPanel::sortDirection = -1;

namespace {
const char* const kColumnTitles[] = {"Process ID", "Command", "Virtual SZ", "%CPU", "USER"};
const int kRefreshTicks = 30;  // the list is refreshed on every 31st tick of 500 ms

std::string Utf8(const wxString& text)
{
    return std::string(text.utf8_str());
}
}  // namespace

wxBEGIN_EVENT_TABLE(ShellyardMonPanel, MonPanel)
    EVT_TIMER(ID_MONITOR_TIMER, ShellyardMonPanel::OnPollTimer)
    EVT_IDLE(ShellyardMonPanel::OnIdle)
wxEND_EVENT_TABLE()

ShellyardMonPanel::ShellyardMonPanel(wxWindow* parent) : MonPanel(parent), pollTimer(this, ID_MONITOR_TIMER)
{
    for (int column = 0; column < 5; ++column)
        processList->InsertColumn(column, kColumnTitles[column]);
    for (int column = 0; column < 5; ++column)
        processList->SetColumnWidth(column, wxLIST_AUTOSIZE_USEHEADER);
}

ShellyardMonPanel::~ShellyardMonPanel()
{
    StopMonitoring();
    pollTimer.Stop();
}

void ShellyardMonPanel::SetMonitorTarget(const wxString& plinkPathValue, const wxString& hostValue,
                                         const wxString& userValue, const wxString& passwordValue,
                                         const wxString& loopCommandValue, const wxString& portValue)
{
    plinkPath = plinkPathValue;
    host = hostValue;
    user = userValue;
    password = passwordValue;
    loopCommand = loopCommandValue;
    port = portValue;
}

TerminalArguments ShellyardMonPanel::PlinkArguments(const wxString& remoteCommand) const
{
    return TerminalArguments::ForPlink(Utf8(plinkPath), Utf8(host), Utf8(port), Utf8(user), Utf8(password),
                                       Utf8(remoteCommand));
}

void ShellyardMonPanel::StartMonitoring()
{
    loopProcess = nullptr;
    pollTimer.SetOwner(this, ID_MONITOR_TIMER);
    wxWeakRef<ShellyardMonPanel> self(this);
    CollectSystemInfo();
    if (!self)
        return;
    StartLoopCommand(loopCommand);
    RefreshProcessList();
}

void ShellyardMonPanel::StopMonitoring()
{
    if (loopProcess && loopProcess->KillProcess())
        UnregisterLoopProcess(loopProcess);
}

PlinkRunResult ShellyardMonPanel::RunRemote(const wxString& remoteCommand)
{
    PlinkRunResult result = PlinkRun::Run(PlinkArguments(remoteCommand), remoteCommand);
    if (result.failed)
        wxLogError("Execution of '%s' failed.", remoteCommand);
    return result;
}

// A failure is shown under the system type, once for as long as it repeats.
void ShellyardMonPanel::ShowFailure(const wxString& reason)
{
    if (reason.empty() || reason == lastShownFailure)
        return;
    lastShownFailure = reason;
    infoText->AppendText("\n" + reason);
}

void ShellyardMonPanel::CollectSystemInfo()
{
    wxWeakRef<ShellyardMonPanel> self(this);
    PlinkRunResult uname = RunRemote(MonitorCommands::SystemType());
    if (!self)
        return;
    for (const wxString& line : uname.output)
        systemType = line;
    infoText->AppendText("System  Type: ");
    infoText->AppendText(systemType);
    if (uname.failed || systemType.empty()) {
        ShowFailure(uname.failed ? uname.reason : wxString("uname printed nothing."));
        return;
    }

    wxString details = MonitorCommands::SystemDetails(systemType);
    if (details.empty())
        return;
    PlinkRunResult facts = RunRemote(details);
    if (!self)
        return;
    if (facts.failed) {
        ShowFailure(facts.reason);
        return;
    }
    for (const wxString& line : facts.output)
        infoText->AppendText("\n" + line);
}

void ShellyardMonPanel::StartLoopCommand(const wxString& remoteCommand)
{
    if (remoteCommand.empty())
        return;
    auto process = std::make_unique<DisplayProcess>(this);
    wxString error;
    if (!process->Start(PlinkArguments(remoteCommand), error)) {
        wxLogError("Execution of Loop Command failed.");
        ShowFailure(wxString::Format("Cannot start PLink (%s): %s", plinkPath, error));
        return;
    }
    ownedLoop = std::move(process);
    RegisterLoopProcess(ownedLoop.get());
}

void ShellyardMonPanel::RegisterLoopProcess(DisplayProcess* process)
{
    if (loopProcess)
        return;
    pollTimer.Start(500);
    loopProcess = process;
}

void ShellyardMonPanel::UnregisterLoopProcess(DisplayProcess* process)
{
    pollTimer.Stop();
    loopProcess = nullptr;
    if (ownedLoop.get() == process)
        ownedLoop.reset();
}

void ShellyardMonPanel::OnPollTimer(wxTimerEvent& event)
{
    // The loop's output is read at least every tick. Reading here rather than waking the toolkit's
    // idle processing spares a pass over every window of the program twice a second per page.
    if (loopProcess)
        loopProcess->ReadOutput();
    if (tickCount != kRefreshTicks) {
        ++tickCount;
        return;
    }
    // A refresh waits for PLink while events flow. From inside another such wait (this page's or
    // another's, or a connection's) it would hold that one up: it comes on a later tick instead.
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (PlinkRun::Busy() || (loop && loop->IsYielding()))
        return;
    tickCount = 0;
    RefreshProcessList();
}

void ShellyardMonPanel::OnIdle(wxIdleEvent& event)
{
    event.Skip();
    if (loopProcess)
        loopProcess->ReadOutput();
}

void ShellyardMonPanel::OnLoopEnded(int status, const wxString& reason)
{
    wxLogMessage("Monitoring of %s: the loop command '%s' ended with exit status %d", host, loopCommand, status);
    ShowFailure(wxString::Format("Monitoring stopped: %s",
                                 reason.empty() ? wxString::Format("PLink exited with status %d.", status) : reason));
    // The process list goes on being refreshed; only the loop's reading ends. The process object is
    // released once this call, which comes from inside it, has returned.
    loopProcess = nullptr;
    wxWeakRef<ShellyardMonPanel> self(this);
    CallAfter([self] {
        if (self && !self->loopProcess)
            self->ownedLoop.reset();
    });
}

void ShellyardMonPanel::RefreshProcessList()
{
    wxString command = MonitorCommands::ProcessList(systemType);
    if (command.empty())
        return;
    wxWeakRef<ShellyardMonPanel> self(this);
    PlinkRunResult result = RunRemote(command);
    if (!self)
        return;
    if (result.failed) {
        ShowFailure(result.reason);
        return;
    }
    // An empty answer leaves the list as it is, and with it the rows it shows (sorting reads them).
    std::vector<ProcessRow> rows;
    for (const wxString& line : result.output) {
        ProcessRow row;
        if (ProcessRow::FromLine(line, row))
            rows.push_back(row);
    }
    if (rows.empty())
        return;
    processRows = std::move(rows);
    ShowProcessRows();
}

void ShellyardMonPanel::ShowProcessRows()
{
    if (processRows.empty())
        return;
    processList->Hide();
    processList->DeleteAllItems();
    for (size_t i = 0; i < processRows.size(); ++i) {
        const ProcessRow& row = processRows[i];
        long item = processList->InsertItem(static_cast<long>(i), row.processId);
        processList->SetItemData(item, static_cast<long>(i));
        processList->SetItem(item, 1, row.command);
        processList->SetItem(item, 2, row.size);
        processList->SetItem(item, 3, row.cpu);
        processList->SetItem(item, 4, row.user);
    }
    for (int column = 0; column < 5; ++column)
        processList->SetColumnWidth(column, wxLIST_AUTOSIZE_USEHEADER);
    processList->Show();
    totalText->SetValue(wxString::Format("%d", static_cast<int>(processRows.size())));
}

void ShellyardMonPanel::OnColumnClick(wxListEvent& event)
{
    int column = event.GetColumn();
    if (column == sortColumn)
        sortDirection = static_cast<short>(-sortDirection);
    if (column == -1)
        return;
    sortColumn = static_cast<short>(column);
    processList->SortItems(&ShellyardMonPanel::CompareRows, reinterpret_cast<wxIntPtr>(processList));
}

// The toolkit's list moves its items while it sorts, so an item cannot be looked up by its data
// meanwhile: the texts come from the row each item shows, whose index is the item's data.
int wxCALLBACK ShellyardMonPanel::CompareRows(wxIntPtr data1, wxIntPtr data2, wxIntPtr listValue)
{
    auto* list = reinterpret_cast<wxListCtrl*>(listValue);
    auto* page = dynamic_cast<ShellyardMonPanel*>(list->GetParent());
    if (!page || data1 < 0 || data2 < 0 || static_cast<size_t>(std::max(data1, data2)) >= page->processRows.size())
        return 0;
    auto text = [](const ProcessRow& row) -> const wxString& {
        switch (sortColumn) {
        case 0: return row.processId;
        case 1: return row.command;
        case 2: return row.size;
        case 3: return row.cpu;
        default: return row.user;
        }
    };
    return ProcessRow::CompareColumn(sortColumn, text(page->processRows[data1]), text(page->processRows[data2])) *
           sortDirection;
}

void ShellyardMonPanel::ParseVmstatLine(const wxString& line)
{
    if (vmstat.ParseLine(line, seriesList, wxDateTime::Now()))
        RedrawCharts();
}

void ShellyardMonPanel::RedrawCharts()
{
    ChartSeriesList snapshot(seriesList);
    chart.SetSeries(snapshot);
    chart.DrawCpuChart(cpuBitmap);
    chart.DrawMemoryChart(memoryBitmap);
}
