#pragma once
// The overview of every watched host: a tab with one row per monitor page of the notebook (site,
// host, state, CPU and free memory of the last sample, a small CPU history, the time of the last
// sample), brought up to date whenever a page has a new sample or changes its state. It only reads
// what the pages hold and never runs PLink itself. Double-clicking a row selects that page.
#include "monitor/MonOverviewPanel.h"

#include <vector>
#include <wx/imaglist.h>
#include <wx/weakref.h>

class ShellyardMonPanel;
class wxAuiNotebook;

class ShellyardMonOverviewPanel : public MonOverviewPanel {
public:
    explicit ShellyardMonOverviewPanel(wxAuiNotebook* notebook);
    ~ShellyardMonOverviewPanel() override;

    // Selects the notebook's overview, adding one first if there is none.
    static void Open(wxAuiNotebook* notebook);

    static const int kHistoryWidth = 72;  // one pixel per sample a chart holds, and a margin
    static const int kHistoryHeight = 18;

private:
    friend struct MonitorProbe;

    void OnItemActivated(wxListEvent& event) override;
    void OnMonitorChanged(wxCommandEvent& event);
    void ShowPages();
    wxBitmap DrawHistory(const std::vector<double>& cpu) const;

    wxAuiNotebook* notebook;
    std::vector<wxWeakRef<ShellyardMonPanel>> rows;  // the page each row shows
    wxImageList histories;
    bool showPending = false;
};
