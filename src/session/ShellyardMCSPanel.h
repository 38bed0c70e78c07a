#pragma once
// Multi Command Sender: hands the command line to the main window, which types it into every
// terminal tab chosen to receive it. The field keeps its text after a send.
#include "session/MCSPanel.h"

class ShellyardFrame;

class ShellyardMCSPanel : public MCSPanel {
public:
    explicit ShellyardMCSPanel(ShellyardFrame* frame);

private:
    friend struct FrameProbe;
    void OnCommandEnter(wxCommandEvent& event) override;
    void OnSend(wxCommandEvent& event) override;
    void OnAll(wxCommandEvent& event) override;
    void OnNone(wxCommandEvent& event) override;

    wxString lastCommand;
    ShellyardFrame* frame;
};
