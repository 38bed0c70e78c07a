#pragma once
// A terminal tab: holds one embedded PuTTY window and keeps it sized to the tab.
#include "session/ConnPanel.h"
#include "session/keys/KeyPlatform.h"

class ShellyardConnPanel : public ConnPanel {
public:
    explicit ShellyardConnPanel(wxWindow* parent);

    void SetTerminalWindow(NativeWindow window) { terminalWindow = window; }
    NativeWindow GetTerminalWindow() const { return terminalWindow; }

private:
    void OnSize(wxSizeEvent& event) override;

    NativeWindow terminalWindow = 0;
};
