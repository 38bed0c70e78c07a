#pragma once
// Layout of a monitor tab: the interval row with its Start/Stop button, the CPU and memory pictures side by side, and
// below them the process list beside the system information box. Only controls, sizers and the
// two event connections; the behaviour lives in ShellyardMonPanel.
#include <wx/listctrl.h>
#include <wx/panel.h>

class wxButton;
class wxStaticBitmap;
class wxStaticText;
class wxTextCtrl;

class MonPanel : public wxPanel {
public:
    MonPanel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
             const wxSize& size = wxSize(710, 526), long style = wxTAB_TRAVERSAL);
    ~MonPanel() override;

protected:
    wxStaticText* intervalLabel;
    wxTextCtrl* intervalText;
    wxButton* startButton;
    wxStaticBitmap* cpuBitmap;
    wxStaticBitmap* memoryBitmap;
    wxListCtrl* processList;
    wxStaticText* totalLabel;
    wxTextCtrl* totalText;
    wxTextCtrl* infoText;

    virtual void OnStartStop(wxCommandEvent& event) { event.Skip(); }
    virtual void OnColumnClick(wxListEvent& event) { event.Skip(); }
};
