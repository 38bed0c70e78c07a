#pragma once
// Quick Login: connects the typed host with the chosen protocol through the main window.
#include "session/LoginPanel.h"

class ShellyardFrame;

class ShellyardLoginPanel : public LoginPanel {
public:
    explicit ShellyardLoginPanel(ShellyardFrame* frame);

private:
    friend struct FrameProbe;
    void OnLogin(wxCommandEvent& event) override;

    ShellyardFrame* frame;
};
