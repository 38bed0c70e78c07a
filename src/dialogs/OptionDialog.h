#pragma once
// Layout of the "Shellyard Options" dialog: a notebook with a "General" page (whether the last
// sessions are reopened at start) and a
// "Plugins" page holding the PuTTY and PLink locations, their browse buttons, the button that starts
// PuTTY's own configuration and Apply. The four buttons go to virtual handlers whose base versions
// only let the event go on; ShellyardOptionDialog gives them their behaviour.
#include <wx/dialog.h>

class wxAuiNotebook;
class wxBitmapButton;
class wxButton;
class wxChoice;
class wxHyperlinkCtrl;
class wxListBox;
class wxPanel;
class wxStaticLine;
class wxStaticText;
class wxStdDialogButtonSizer;
class wxTextCtrl;

class OptionDialog : public wxDialog {
public:
    OptionDialog(wxWindow* parent, wxWindowID id = wxID_ANY, const wxString& title = "Shellyard Options",
                 const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(552, 444),
                 long style = wxDEFAULT_DIALOG_STYLE);
    ~OptionDialog() override;

protected:
    wxAuiNotebook* optionsNotebook;
    wxPanel* generalPage;
    wxStaticText* reopenLabel;
    wxChoice* reopenChoice;  // "Ask", "Always", "Never"
    wxPanel* pluginsPage;
    wxListBox* pluginList;
    wxTextCtrl* pluginDescription;
    wxHyperlinkCtrl* downloadLink;
    wxPanel* locationPanel;
    wxStaticText* puttyLocationLabel;
    wxTextCtrl* puttyLocationText;
    wxBitmapButton* puttyBrowseButton;
    wxStaticText* plinkLocationLabel;
    wxTextCtrl* plinkLocationText;
    wxBitmapButton* plinkBrowseButton;
    wxStaticText* puttyConfigLabel;
    wxBitmapButton* puttyConfigButton;
    wxStaticLine* separatorLine;
    wxStdDialogButtonSizer* buttonSizer;
    wxButton* applyButton;

    virtual void OnBrowsePutty(wxCommandEvent& event) { event.Skip(); }
    virtual void OnBrowsePlink(wxCommandEvent& event) { event.Skip(); }
    virtual void OnStartPuttyConfig(wxCommandEvent& event) { event.Skip(); }
    virtual void OnApply(wxCommandEvent& event) { event.Skip(); }
    virtual void OnReopenChoice(wxCommandEvent& event) { event.Skip(); }
};
