#pragma once
// The "New Connection" site editor: checks the input when OK is pressed and, when it is complete,
// closes with the result 1 and keeps the six values for GetSiteFields. The caller creates it, shows
// it modally, reads the values and destroys it.
#include "dialogs/NewSiteDialog.h"

class ShellyardNewSiteDialog : public NewSiteDialog {
public:
    explicit ShellyardNewSiteDialog(wxWindow* parent);

    // The values read by the last accepted OK, in this order.
    void GetSiteFields(wxString& name, wxString& host, wxString& protocol, wxString& port, wxString& user,
                       wxString& password) const;

protected:
    void OnProtocolChanged(wxCommandEvent& event) override;
    void OnAutoLoginClicked(wxCommandEvent& event) override;
    void OnShowPassword(wxCommandEvent& event) override;
    void OnOK(wxCommandEvent& event) override;

private:
    friend struct NewSiteDialogProbe;  // control access for the GUI tests

    void EnableLoginFields(bool enable);
    void OnCharHook(wxKeyEvent& event);

    wxString name;
    wxString host;
    wxString protocol;
    wxString port;
    wxString user;
    wxString password;
};
