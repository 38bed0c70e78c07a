#pragma once
// The site editor: "New Connection" for a new site, "Modify Connection" for a stored one. It checks
// the input when OK is pressed and, when it is complete, hands the site to the saver (if one is
// set): only when that stores it does the dialog close with the result 1. A save that fails keeps
// the dialog open with everything typed, so nothing is lost. The caller creates it, fills it
// (SetSite) if the site exists, shows it modally, reads the values and destroys it.
#include "dialogs/NewSiteDialog.h"
#include "storage/SiteRecord.h"

#include <functional>

class ShellyardNewSiteDialog : public NewSiteDialog {
public:
    explicit ShellyardNewSiteDialog(wxWindow* parent, const wxString& title = "New Connection");

    // Fills every field from a site (its rowid and folder are kept for GetSite).
    void SetSite(const SiteRecord& site);
    // Called with the site at OK once the checks pass; returns whether it was stored. A failing
    // saver has told the user why; the dialog stays open.
    void SetSaver(std::function<bool(const SiteRecord&)> saver) { this->saver = std::move(saver); }

    // The values read by the last accepted OK, in this order.
    void GetSiteFields(wxString& name, wxString& host, wxString& protocol, wxString& port, wxString& user,
                       wxString& password) const;
    // The same as a site: the six fields, the post-login commands (one per line, only while their
    // box is checked) and the note, with the rowid and folder given to SetSite.
    SiteRecord GetSite() const { return site; }

protected:
    void OnProtocolChanged(wxCommandEvent& event) override;
    void OnAutoLoginClicked(wxCommandEvent& event) override;
    void OnShowPassword(wxCommandEvent& event) override;
    void OnOK(wxCommandEvent& event) override;
    void OnPostLoginClicked(wxCommandEvent& event) override;
    void OnChooseKey(wxCommandEvent& event) override;

private:
    friend struct NewSiteDialogProbe;  // control access for the GUI tests

    void EnableLoginFields(bool enable);
    void EnableCommandFields(bool enable);
    void OnCharHook(wxKeyEvent& event);
    wxString ReadCommands() const;
    // The PuTTY settings choice: "Default Settings" first (the empty value), then PuTTY's saved
    // sessions, and current if it is none of them (a session since deleted stays visible).
    void FillSessions(const wxString& current);
    wxString ChosenSession() const;

    wxString name;
    wxString host;
    wxString protocol;
    wxString port;
    wxString user;
    wxString password;
    SiteRecord site;
    std::function<bool(const SiteRecord&)> saver;
};
