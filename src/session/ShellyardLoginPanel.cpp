#include "session/ShellyardLoginPanel.h"

#include "app/ShellyardFrame.h"

#include <wx/msgdlg.h>

ShellyardLoginPanel::ShellyardLoginPanel(ShellyardFrame* frame)
    : LoginPanel(frame, wxID_ANY, wxDefaultPosition, wxSize(400, 23), wxTAB_TRAVERSAL | wxNO_BORDER), frame(frame)
{
    recentHosts.Load();
    ShowRecentHosts();
}

wxString ShellyardLoginPanel::ChosenProtocol() const
{
    // The protocol word goes to PuTTY as an option: it comes from the item chosen, never from the
    // text the choice shows, which a translation may change.
    return protocolChoice->GetSelection() == 1 ? "telnet" : "ssh";
}

void ShellyardLoginPanel::OnLogin(wxCommandEvent& event)
{
    wxString host = hostText->GetValue();
    wxString protocol = ChosenProtocol();
    if (host.empty()) {
        wxMessageBox(_("No Host to be loggin!"), wxMessageBoxCaptionStr, wxOK | wxCENTRE, nullptr);
        return;
    }
    // Remembered before connecting: a host that does not answer now may later.
    recentHosts.Add(protocol, host);
    ShowRecentHosts();
    frame->QuickConnect(host, protocol);
}

void ShellyardLoginPanel::OnHostEnter(wxCommandEvent& event)
{
    OnLogin(event);
}

void ShellyardLoginPanel::OnHostDropDown(wxCommandEvent& event)
{
    typedBeforeList = hostText->GetValue();
}

void ShellyardLoginPanel::OnHostChosen(wxCommandEvent& event)
{
    // A host chosen stands in the field (the toolkit puts it there); the last entry forgets them all.
    if (event.GetSelection() != static_cast<int>(recentHosts.Of(ChosenProtocol()).size()))
        return;
    recentHosts.Clear();
    ShowRecentHosts();
    hostText->ChangeValue(typedBeforeList);
    hostText->SetInsertionPointEnd();
}

void ShellyardLoginPanel::OnProtocolChosen(wxCommandEvent& event)
{
    ShowRecentHosts();
}

void ShellyardLoginPanel::ShowRecentHosts()
{
    const wxString typed = hostText->GetValue();
    const std::vector<wxString>& hosts = recentHosts.Of(ChosenProtocol());
    wxArrayString items(hosts.size(), hosts.data());
    if (!hosts.empty())
        items.Add(_("Clear recent hosts"));
    hostText->Set(items);
    hostText->ChangeValue(typed);
    hostText->SetInsertionPointEnd();
}
