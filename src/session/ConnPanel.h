#pragma once
// Layout of a terminal tab: no controls, only the size event routed to a virtual slot.
#include <wx/panel.h>

class ConnPanel : public wxPanel {
public:
    ConnPanel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxSize(615, 473), long style = wxTAB_TRAVERSAL);
    ~ConnPanel() override;

protected:
    virtual void OnSize(wxSizeEvent& event) { event.Skip(); }
};
