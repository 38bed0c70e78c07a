#pragma once
// The options dialog: where PuTTY and PLink live. The two location fields are the locations: Apply
// saves what they show (typed or browsed) to the settings file through AppConfig, refusing a
// location that names no program that can start and asking before it saves one that does not say
// it is PuTTY (or PLink); the configuration button starts PuTTY alone from the PuTTY field.
#include "dialogs/OptionDialog.h"

class ShellyardOptionDialog : public OptionDialog {
public:
    explicit ShellyardOptionDialog(wxWindow* parent);

    // Show the path in the matching field.
    void SetPuttyLocation(const wxString& path);
    void SetPlinkLocation(const wxString& path);
    // Brings the page with the locations to the front (the dialog opens on "General").
    void ShowPluginsPage();

protected:
    void OnBrowsePutty(wxCommandEvent& event) override;
    void OnBrowsePlink(wxCommandEvent& event) override;
    void OnStartPuttyConfig(wxCommandEvent& event) override;
    void OnApply(wxCommandEvent& event) override;
    // The choice is saved as it is made.
    void OnReopenChoice(wxCommandEvent& event) override;

private:
    friend struct OptionDialogProbe;  // read access for the tests

    // Lets the user pick a file; true (and path set) when the chooser was confirmed.
    bool ChooseFile(const wxString& message, const wxString& filter, wxString& path);
    // Whether the field's location may be saved: a refusal is told (the field keeps its text and
    // gets the focus), a program that calls itself otherwise than program is saved on Yes.
    bool AcceptLocation(wxTextCtrl* field, const wxString& fieldName, const char* program,
                        const wxString& programName);
};
