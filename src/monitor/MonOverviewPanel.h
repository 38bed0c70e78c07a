#pragma once
// Layout of the monitor overview tab: one list with a row per monitor page. Only the control and
// its event connection; the behaviour lives in ShellyardMonOverviewPanel.
#include <wx/listctrl.h>
#include <wx/panel.h>

class MonOverviewPanel : public wxPanel {
public:
    MonOverviewPanel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                     const wxSize& size = wxSize(710, 526), long style = wxTAB_TRAVERSAL);
    ~MonOverviewPanel() override;

protected:
    wxListCtrl* hostList;

    virtual void OnItemActivated(wxListEvent& event) { event.Skip(); }
};
