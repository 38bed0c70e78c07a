#include "session/ShellyardLoginPanel.h"

#include "app/ShellyardFrame.h"

#include <wx/msgdlg.h>

ShellyardLoginPanel::ShellyardLoginPanel(ShellyardFrame* frame)
    : LoginPanel(frame, wxID_ANY, wxDefaultPosition, wxSize(400, 23), wxTAB_TRAVERSAL | wxNO_BORDER), frame(frame)
{
}

void ShellyardLoginPanel::OnLogin(wxCommandEvent& event)
{
    wxString host = hostText->GetValue();
    // The protocol word goes to PuTTY as an option: it comes from the item chosen, never from the
    // text the choice shows, which a translation may change.
    wxString protocol = protocolChoice->GetSelection() == 1 ? "telnet" : "ssh";
    if (host.empty()) {
        wxMessageBox(_("No Host to be loggin!"), wxMessageBoxCaptionStr, wxOK | wxCENTRE, nullptr);
        return;
    }
    frame->QuickConnect(host, protocol);
}
