#include "session/ConnPanel.h"

ConnPanel::ConnPanel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : wxPanel(parent, id, pos, size, style)
{
    Connect(wxEVT_SIZE, wxSizeEventHandler(ConnPanel::OnSize));
}

ConnPanel::~ConnPanel()
{
    Disconnect(wxEVT_SIZE, wxSizeEventHandler(ConnPanel::OnSize));
}
