#include "monitor/ShellyardMonOverviewPanel.h"

#include "monitor/ShellyardMonPanel.h"
#include "resources/Pictures.h"

#include <algorithm>
#include <wx/aui/auibook.h>
#include <wx/dcmemory.h>
#include <wx/intl.h>

namespace {
const int kWidestState = 320;  // a long reason is cut short rather than push the numbers away
enum Column { kSite, kHost, kState, kCpu, kFreeMemory, kHistory, kLastSample, kColumns };
const char* const kTitles[kColumns] = {"Site", "Host", "State", "CPU", "Free Memory", "CPU History", "Last Sample"};
}  // namespace

ShellyardMonOverviewPanel::ShellyardMonOverviewPanel(wxAuiNotebook* book)
    : MonOverviewPanel(book), notebook(book), histories(kHistoryWidth, kHistoryHeight, false)
{
    for (int column = 0; column < kColumns; ++column)
        hostList->InsertColumn(column, wxGetTranslation(kTitles[column]));
    hostList->SetImageList(&histories, wxIMAGE_LIST_SMALL);
    Bind(wxEVT_MONITOR_CHANGED, &ShellyardMonOverviewPanel::OnMonitorChanged, this);
    ShellyardMonPanel::AddWatcher(this);
    ShowPages();
}

ShellyardMonOverviewPanel::~ShellyardMonOverviewPanel()
{
    ShellyardMonPanel::RemoveWatcher(this);
    hostList->SetImageList(nullptr, wxIMAGE_LIST_SMALL);
}

void ShellyardMonOverviewPanel::Open(wxAuiNotebook* notebook)
{
    for (size_t i = 0; i < notebook->GetPageCount(); ++i) {
        if (dynamic_cast<ShellyardMonOverviewPanel*>(notebook->GetPage(i))) {
            notebook->SetSelection(i);
            return;
        }
    }
    notebook->AddPage(new ShellyardMonOverviewPanel(notebook), _("Monitor Overview"), true, PictureBitmap("montab"));
}

// Many pages may change in one turn of the event loop: the rows are brought up to date once.
void ShellyardMonOverviewPanel::OnMonitorChanged(wxCommandEvent&)
{
    if (showPending)
        return;
    showPending = true;
    CallAfter([this] {
        showPending = false;
        ShowPages();
    });
}

void ShellyardMonOverviewPanel::ShowPages()
{
    std::vector<ShellyardMonPanel*> pages;
    std::vector<wxString> names;
    for (size_t i = 0; i < notebook->GetPageCount(); ++i) {
        if (auto* page = dynamic_cast<ShellyardMonPanel*>(notebook->GetPage(i))) {
            pages.push_back(page);
            names.push_back(notebook->GetPageText(i));
        }
    }
    histories.RemoveAll();
    if (static_cast<size_t>(hostList->GetItemCount()) != pages.size()) {
        hostList->DeleteAllItems();
        for (size_t i = 0; i < pages.size(); ++i)
            hostList->InsertItem(static_cast<long>(i), wxString(), -1);
    }
    rows.assign(pages.begin(), pages.end());
    for (size_t i = 0; i < pages.size(); ++i) {
        MonitorSummary summary = pages[i]->Summary();
        const long row = static_cast<long>(i);
        hostList->SetItem(row, kSite, names[i]);
        hostList->SetItem(row, kHost, summary.host);
        hostList->SetItem(row, kState, summary.stateText);
        hostList->SetItem(row, kCpu, summary.cpu);
        hostList->SetItem(row, kFreeMemory, summary.freeMemory);
        hostList->SetItem(row, kLastSample, summary.lastSample);
        int image = histories.Add(DrawHistory(summary.cpuHistory));
        hostList->SetItemColumnImage(row, kHistory, image);
    }
    for (int column = 0; column < kColumns; ++column) {
        if (column == kHistory) {
            hostList->SetColumnWidth(column, wxLIST_AUTOSIZE_USEHEADER);
            hostList->SetColumnWidth(column, std::max(hostList->GetColumnWidth(column), kHistoryWidth + 16));
        } else {
            hostList->SetColumnWidth(column, pages.empty() ? wxLIST_AUTOSIZE_USEHEADER : wxLIST_AUTOSIZE);
            int text = hostList->GetColumnWidth(column);
            hostList->SetColumnWidth(column, wxLIST_AUTOSIZE_USEHEADER);
            int width = std::max(text, hostList->GetColumnWidth(column));
            hostList->SetColumnWidth(column, column == kState ? std::min(width, kWidestState) : width);
        }
    }
}

// The CPU use of the page's samples as a line, the latest at the right edge, 0 % at the bottom and
// 100 % at the top, in the colour the page's CPU chart gives "All CPU Usage".
wxBitmap ShellyardMonOverviewPanel::DrawHistory(const std::vector<double>& cpu) const
{
    wxBitmap bitmap(kHistoryWidth, kHistoryHeight);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(hostList->GetBackgroundColour()));
    dc.Clear();
    dc.SetPen(wxPen(wxColour(0xcc, 0xcc, 0xcc)));
    dc.DrawLine(0, kHistoryHeight - 1, kHistoryWidth, kHistoryHeight - 1);
    const size_t shown = std::min(cpu.size(), static_cast<size_t>(kHistoryWidth - 1));
    std::vector<wxPoint> points;
    for (size_t i = cpu.size() - shown; i < cpu.size(); ++i) {
        double value = std::min(100.0, std::max(0.0, cpu[i]));
        int x = kHistoryWidth - 1 - static_cast<int>(cpu.size() - 1 - i);
        int y = kHistoryHeight - 2 - static_cast<int>(value * (kHistoryHeight - 3) / 100.0 + 0.5);
        points.emplace_back(x, y);
    }
    dc.SetPen(wxPen(wxColour(0xff, 0x66, 0x00), 1));
    if (points.size() == 1)
        dc.DrawCircle(points.front(), 1);
    else if (points.size() > 1)
        dc.DrawLines(static_cast<int>(points.size()), points.data());
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

void ShellyardMonOverviewPanel::OnItemActivated(wxListEvent& event)
{
    long row = event.GetIndex();
    if (row < 0 || static_cast<size_t>(row) >= rows.size() || !rows[row])
        return;
    int index = notebook->GetPageIndex(rows[row].get());
    if (index != wxNOT_FOUND)
        notebook->SetSelection(static_cast<size_t>(index));
}
