// The monitor page's display: the system information, the process list and its sorting, the
// charts of each sample, drawn one page per turn of the event loop.
#include "monitor/ShellyardMonPanel.h"

#include "monitor/ClockText.h"
#include "monitor/MonitorCommands.h"
#include "monitor/NumberText.h"

#include <algorithm>
#include <deque>
#include <wx/button.h>
#include <wx/log.h>
#include <wx/msgdlg.h>

short ShellyardMonPanel::sortColumn = -1;
short ShellyardMonPanel::sortDirection = -1;

// Pages opened together sample and refresh in step. Were their charts and lists all drawn in one
// turn of the event loop, a key pressed meanwhile would wait for every one of them; instead each
// drawing waits for a turn of its own, one per tick of a shared timer, and input is handled between.
class ShellyardMonPanel::DrawingTurns : public wxTimer {
public:
    static DrawingTurns& Get()
    {
        static DrawingTurns* turns = new DrawingTurns();  // never destroyed: pages may go at the end
        return *turns;
    }
    void Add(ShellyardMonPanel* page)
    {
        if (std::find(waiting.begin(), waiting.end(), page) == waiting.end())
            waiting.push_back(page);
        if (!IsRunning())
            Start(1);
    }
    void Remove(ShellyardMonPanel* page)
    {
        waiting.erase(std::remove(waiting.begin(), waiting.end(), page), waiting.end());
        if (waiting.empty())
            Stop();
    }
    void Notify() override
    {
        if (waiting.empty()) {
            Stop();
            return;
        }
        ShellyardMonPanel* page = waiting.front();
        waiting.pop_front();
        page->DrawNext();
        if (waiting.empty())
            Stop();
    }

private:
    std::deque<ShellyardMonPanel*> waiting;
};

void ShellyardMonPanel::LeaveDrawingTurns()
{
    DrawingTurns::Get().Remove(this);
}

void ShellyardMonPanel::ShowSystemType(const wxArrayString& output)
{
    for (const wxString& line : output)
        systemType = line;
    infoBase = "System  Type: " + systemType;
    systemTypeShown = true;
    if (systemType.empty())
        reason = "uname printed nothing.";
    ShowInfo();
    StartNeededRuns();
}

void ShellyardMonPanel::ShowSystemDetails(const wxArrayString& output)
{
    for (const wxString& line : output)
        infoBase += "\n" + line;
    detailsShown = true;
    ShowInfo();
}

void ShellyardMonPanel::RefreshProcessList()
{
    wxString command = MonitorCommands::ProcessList(systemType);
    if (command.empty()) {
        listShown = true;
        return;
    }
    if (!processListRun)
        StartRun(processListRun, kProcessListRun, command);
}

void ShellyardMonPanel::ShowProcessList(const wxArrayString& output)
{
    listShown = true;
    // An empty answer leaves the list as it is, and with it the rows it shows (sorting reads them).
    std::vector<ProcessRow> rows;
    for (const wxString& line : output) {
        ProcessRow row;
        if (ProcessRow::FromLine(line, row))
            rows.push_back(row);
    }
    if (rows.empty())
        return;
    // The list shows them in its turn; until then it shows the rows it has, and sorts those.
    nextRows = std::move(rows);
    rowsDue = true;
    DrawingTurns::Get().Add(this);
}

// One drawing per turn: the charts of the last sample, else the last process list.
void ShellyardMonPanel::DrawNext()
{
    if (chartsDue) {
        chartsDue = false;
        RedrawCharts();
    } else if (rowsDue) {
        rowsDue = false;
        processRows = std::move(nextRows);
        nextRows.clear();
        ShowProcessRows();
    }
    if (chartsDue || rowsDue)
        DrawingTurns::Get().Add(this);
}

// The rows are written over the items already there (the list grows or shrinks at its end) with
// the list frozen, so that a refresh costs what changed and the list is redrawn once.
void ShellyardMonPanel::ShowProcessRows()
{
    if (processRows.empty())
        return;
    processList->Freeze();
    const long rows = static_cast<long>(processRows.size());
    long items = processList->GetItemCount();
    while (items > rows)
        processList->DeleteItem(--items);
    for (long i = 0; i < rows; ++i) {
        const ProcessRow& row = processRows[static_cast<size_t>(i)];
        if (i >= items)
            processList->InsertItem(i, row.processId);
        processList->SetItemData(i, i);
        // Only what changed is written: most of a host's processes keep their place between two lists.
        const wxString* texts[] = {&row.processId, &row.command, &row.size, &row.cpu, &row.user};
        for (int column = 0; column < 5; ++column) {
            if (processList->GetItemText(i, column) != *texts[column])
                processList->SetItem(i, column, *texts[column]);
        }
    }
    for (int column = 0; column < 5; ++column)
        processList->SetColumnWidth(column, wxLIST_AUTOSIZE_USEHEADER);
    processList->Thaw();
    totalText->SetValue(wxString::Format("%d", static_cast<int>(processRows.size())));
}

// The system type and details, then what is true at this moment: no data for a while, the last
// failure, or that the page is still connecting.
void ShellyardMonPanel::ShowInfo()
{
    wxString text = infoBase;
    if (noData)
        text += "\n" + wxString::Format(_("No data from the host since %s"), ClockText::Time(noDataSince));
    if (!reason.empty())
        text += "\n" + (refused ? wxString::Format(_("Monitoring stopped: %s"), reason) : reason);
    else if (monitoring && !systemTypeShown)
        text += "\n" + wxString::Format(_("Connecting to %s..."), host);
    if (infoText->GetValue() != text)
        infoText->SetValue(text);
}

void ShellyardMonPanel::ShowRunning(bool running)
{
    startButton->SetLabel(running ? _("Stop") : _("Start"));
    Layout();
}

void ShellyardMonPanel::OnStartStop(wxCommandEvent&)
{
    if (monitoring) {
        if (wxMessageBox(_("Are you sure to stop this site monitoring?"), "Shellyard", wxYES_NO, this) != wxYES)
            return;
        StopMonitoring();
        noData = false;
        wxLogMessage("Monitoring of %s stopped", host);
        ShowRunning(false);
        ShowInfo();
        Changed();
        return;
    }
    long seconds = 0;
    wxString text = intervalText->GetValue();
    text.Trim().Trim(false);
    if (!text.ToLong(&seconds) || seconds < 1 || seconds > 60) {
        wxMessageBox(_("The interval must be a whole number of seconds from 1 to 60."), "Shellyard",
                     wxOK | wxICON_ERROR, this);
        return;
    }
    interval = static_cast<int>(seconds);
    loopCommand = wxString::Format("vmstat %d", interval);
    StartMonitoring();
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
    const wxDateTime now = wxDateTime::Now();
    if (!vmstat.ParseLine(line, seriesList, now))
        return;
    lastData = std::chrono::steady_clock::now();
    // Back after an outage: the note goes, and the log says how long the host was silent.
    if (noData || recovery.Attempts() > 0) {
        wxDateTime since = lastSample.IsValid() ? lastSample : startedAt;
        wxLogMessage("Monitoring of %s: data again after %s without", host, ClockText::Duration(now - since));
        noData = false;
        recovery.Reset();
        if (!refused)
            reason.clear();
        ShowInfo();
    }
    lastSample = now;
    sampledSinceStart = true;
    chartsDue = true;
    DrawingTurns::Get().Add(this);
    Changed();
}

void ShellyardMonPanel::RedrawCharts()
{
    ChartSeriesList snapshot(seriesList);
    chart.SetSeries(snapshot);
    chart.DrawCpuChart(cpuBitmap);
    chart.DrawMemoryChart(memoryBitmap);
}

MonitorSummary ShellyardMonPanel::Summary() const
{
    MonitorSummary summary;
    summary.host = host;
    if (refused) {
        summary.state = MonitorSummary::State::Failed;
        summary.stateText = wxString::Format(_("failed: %s"), reason);
    } else if (!monitoring) {
        summary.state = MonitorSummary::State::Stopped;
        summary.stateText = _("stopped");
    } else if (noData) {
        summary.state = MonitorSummary::State::NoData;
        summary.stateText = wxString::Format(_("no data since %s"), ClockText::Time(noDataSince));
    } else if (sampledSinceStart && loopLoggedIn) {
        summary.state = MonitorSummary::State::Live;
        summary.stateText = _("live");
    } else {
        summary.state = MonitorSummary::State::Connecting;
        summary.stateText = _("connecting");
    }
    wxArrayString cpu = seriesList.GetValues("ALLCPU");
    wxArrayString memory = seriesList.GetValues("MEM");
    for (const wxString& value : cpu)
        summary.cpuHistory.push_back(NumberText::Real(value));
    if (!cpu.empty())
        summary.cpu = cpu.Last() + "%";
    if (!memory.empty())
        summary.freeMemory = memory.Last() + " MB";
    summary.lastSample = ClockText::Time(lastSample);
    return summary;
}
