#pragma once
// The options dialog: where PuTTY and PLink live. The two locations are kept in members that only
// the setters and the browse buttons change; Apply writes them to the settings file through
// AppConfig, and the configuration button starts PuTTY alone from the PuTTY location. Typing into
// the location fields changes neither.
#include "dialogs/OptionDialog.h"

class ShellyardOptionDialog : public OptionDialog {
public:
    explicit ShellyardOptionDialog(wxWindow* parent);

    // Set the member and show the path in the matching field.
    void SetPuttyLocation(const wxString& path);
    void SetPlinkLocation(const wxString& path);

protected:
    void OnBrowsePutty(wxCommandEvent& event) override;
    void OnBrowsePlink(wxCommandEvent& event) override;
    void OnStartPuttyConfig(wxCommandEvent& event) override;
    void OnApply(wxCommandEvent& event) override;

private:
    friend struct OptionDialogProbe;  // read access for the tests

    // Lets the user pick a file; true (and path set) when the chooser was confirmed.
    bool ChooseFile(const wxString& message, const wxString& filter, wxString& path);

    wxString puttyLocation;
    wxString plinkLocation;
};
