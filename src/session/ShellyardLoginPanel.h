#pragma once
// Quick Login: connects the typed host with the chosen protocol through the main window, on the
// button or on Enter in the host field. The field offers the hosts last connected this way with
// the chosen protocol, and last of all an entry that forgets them.
#include "app/RecentHosts.h"
#include "session/LoginPanel.h"

class ShellyardFrame;

class ShellyardLoginPanel : public LoginPanel {
public:
    explicit ShellyardLoginPanel(ShellyardFrame* frame);

private:
    friend struct FrameProbe;
    void OnLogin(wxCommandEvent& event) override;
    void OnHostEnter(wxCommandEvent& event) override;
    void OnHostChosen(wxCommandEvent& event) override;
    void OnHostDropDown(wxCommandEvent& event) override;
    void OnProtocolChosen(wxCommandEvent& event) override;

    wxString ChosenProtocol() const;
    // Fills the field's list with the chosen protocol's recent hosts, keeping what is typed.
    void ShowRecentHosts();

    ShellyardFrame* frame;
    RecentHosts recentHosts;
    wxString typedBeforeList;  // the field's text when its list opened
};
