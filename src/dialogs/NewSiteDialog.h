#pragma once
// Layout of the site editor ("New Connection", "Modify Connection"): creates the controls and
// sizers and routes the protocol choice, the auto-login box, the show-password button, the key
// file's chooser button, the post-login box and OK to virtual handlers whose base versions only let the event go on.
// ShellyardNewSiteDialog gives them their behaviour.
#include <wx/dialog.h>

class wxBitmapButton;
class wxButton;
class wxCheckBox;
class wxChoice;
class wxNotebook;
class wxPanel;
class wxStaticText;
class wxStdDialogButtonSizer;
class wxTextCtrl;

class NewSiteDialog : public wxDialog {
public:
    NewSiteDialog(wxWindow* parent, wxWindowID id = wxID_ANY, const wxString& title = "New Connection",
                  const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(440, 345),
                  long style = wxDEFAULT_DIALOG_STYLE);
    ~NewSiteDialog() override;

protected:
    wxNotebook* connectionNotebook;
    wxPanel* connectionPage;
    wxStaticText* nameLabel;
    wxTextCtrl* nameText;
    wxStaticText* hostIpLabel;
    wxTextCtrl* hostIpText;
    wxStaticText* protocolLabel;
    wxChoice* protocolChoice;
    wxStaticText* portLabel;
    wxTextCtrl* portText;
    wxCheckBox* autoLoginCheck;
    wxStaticText* userLabel;
    wxTextCtrl* userText;
    wxStaticText* passwordLabel;
    wxTextCtrl* passwordText;
    wxBitmapButton* showPasswordButton;
    wxStaticText* keyLabel;
    wxTextCtrl* keyText;
    wxButton* keyButton;
    wxStaticText* sessionLabel;
    wxChoice* sessionChoice;
    wxCheckBox* postLoginCheck;
    wxStaticText* command1Label;
    wxTextCtrl* command1Text;
    wxStaticText* command2Label;
    wxTextCtrl* command2Text;
    wxStaticText* command3Label;
    wxTextCtrl* command3Text;
    wxStaticText* noteLabel;
    wxTextCtrl* noteText;
    wxStdDialogButtonSizer* buttonSizer;
    wxButton* okButton;

    virtual void OnProtocolChanged(wxCommandEvent& event) { event.Skip(); }
    virtual void OnAutoLoginClicked(wxCommandEvent& event) { event.Skip(); }
    virtual void OnShowPassword(wxCommandEvent& event) { event.Skip(); }
    virtual void OnOK(wxCommandEvent& event) { event.Skip(); }
    virtual void OnPostLoginClicked(wxCommandEvent& event) { event.Skip(); }
    virtual void OnChooseKey(wxCommandEvent& event) { event.Skip(); }
};
