#include "session/ShellyardConnPanel.h"

ShellyardConnPanel::ShellyardConnPanel(wxWindow* parent)
    : ConnPanel(parent, wxID_ANY, wxDefaultPosition, wxSize(615, 473), wxTAB_TRAVERSAL)
{
}

void ShellyardConnPanel::OnSize(wxSizeEvent& event)
{
    event.Skip();
}
