#pragma once
// Access to the site editor's controls for the GUI tests (ShellyardNewSiteDialog names this struct
// its friend), and the user's actions on them: each action changes the control as a click or key
// press would and then sends the control's own event, so the dialog's handlers run as in real use.
#include "dialogs/ShellyardNewSiteDialog.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/notebook.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

struct NewSiteDialogProbe {
    using D = ShellyardNewSiteDialog;
    static wxNotebook* Notebook(D* d) { return d->connectionNotebook; }
    static wxTextCtrl* Name(D* d) { return d->nameText; }
    static wxTextCtrl* Host(D* d) { return d->hostIpText; }
    static wxChoice* Protocol(D* d) { return d->protocolChoice; }
    static wxTextCtrl* Port(D* d) { return d->portText; }
    static wxCheckBox* AutoLogin(D* d) { return d->autoLoginCheck; }
    static wxTextCtrl* User(D* d) { return d->userText; }
    static wxTextCtrl* Password(D* d) { return d->passwordText; }
    static wxBitmapButton* ShowPassword(D* d) { return d->showPasswordButton; }
    static wxCheckBox* PostLogin(D* d) { return d->postLoginCheck; }
    static wxTextCtrl* Command(D* d, int i) { return i == 1 ? d->command1Text : i == 2 ? d->command2Text : d->command3Text; }
    static wxTextCtrl* Note(D* d) { return d->noteText; }
    static wxTextCtrl* Key(D* d) { return d->keyText; }
    static wxButton* KeyButton(D* d) { return d->keyButton; }
    static wxChoice* Session(D* d) { return d->sessionChoice; }
    static wxButton* Ok(D* d) { return d->okButton; }
    static const wxString& StoredName(D* d) { return d->name; }

    static void ChooseProtocol(D* d, int index)
    {
        d->protocolChoice->SetSelection(index);
        wxCommandEvent event(wxEVT_CHOICE, d->protocolChoice->GetId());
        event.SetEventObject(d->protocolChoice);
        event.SetInt(index);
        event.SetString(d->protocolChoice->GetString(index));
        d->protocolChoice->GetEventHandler()->ProcessEvent(event);
    }
    static void ClickAutoLogin(D* d)
    {
        d->autoLoginCheck->SetValue(!d->autoLoginCheck->GetValue());
        wxCommandEvent event(wxEVT_CHECKBOX, d->autoLoginCheck->GetId());
        event.SetEventObject(d->autoLoginCheck);
        event.SetInt(d->autoLoginCheck->GetValue() ? 1 : 0);
        d->autoLoginCheck->GetEventHandler()->ProcessEvent(event);
    }
    static void Click(wxButton* button)
    {
        wxCommandEvent event(wxEVT_BUTTON, button->GetId());
        event.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(event);
    }
    static void ClickShowPassword(D* d) { Click(d->showPasswordButton); }
    static void ClickPostLogin(D* d)
    {
        d->postLoginCheck->SetValue(!d->postLoginCheck->GetValue());
        wxCommandEvent event(wxEVT_CHECKBOX, d->postLoginCheck->GetId());
        event.SetEventObject(d->postLoginCheck);
        event.SetInt(d->postLoginCheck->GetValue() ? 1 : 0);
        d->postLoginCheck->GetEventHandler()->ProcessEvent(event);
    }
    static void ClickOk(D* d) { Click(d->okButton); }

    // Fills the fields a user would type into (a null pointer leaves the field as it is).
    static void Type(wxTextCtrl* field, const wxString& text) { field->ChangeValue(text); }
};
