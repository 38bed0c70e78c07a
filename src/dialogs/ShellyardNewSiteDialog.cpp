#include "dialogs/ShellyardNewSiteDialog.h"

#include "session/PuttySessions.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/tokenzr.h>

namespace {
const int kTelnetChoice = 1;
const char* const kDefaultSession = "Default Settings";
}

ShellyardNewSiteDialog::ShellyardNewSiteDialog(wxWindow* parent, const wxString& title)
    : NewSiteDialog(parent, wxID_ANY, title, wxDefaultPosition, wxSize(440, 345), wxDEFAULT_DIALOG_STYLE)
{
    EnableCommandFields(false);
    FillSessions(wxString());
    // The dialog has no Cancel button, and without one the toolkit treats the close box and Escape
    // as a click on OK, which would save the site. Both must cancel instead.
    SetEscapeId(wxID_CANCEL);
    Bind(wxEVT_CHAR_HOOK, &ShellyardNewSiteDialog::OnCharHook, this);
}

void ShellyardNewSiteDialog::OnCharHook(wxKeyEvent& event)
{
    if (event.GetKeyCode() == WXK_ESCAPE)
        EndDialog(wxID_CANCEL);
    else
        event.Skip();
}

void ShellyardNewSiteDialog::GetSiteFields(wxString& name, wxString& host, wxString& protocol, wxString& port,
                                           wxString& user, wxString& password) const
{
    name = this->name;
    host = this->host;
    protocol = this->protocol;
    port = this->port;
    user = this->user;
    password = this->password;
}

void ShellyardNewSiteDialog::SetSite(const SiteRecord& stored)
{
    site = stored;
    nameText->ChangeValue(stored.hostname);
    hostIpText->ChangeValue(stored.hostip);
    // The choice's own order: SSH, TELNET. Choosing here sends no event, so the stored port stays.
    const bool telnet = stored.hosttype.CmpNoCase("telnet") == 0;
    protocolChoice->SetSelection(telnet ? kTelnetChoice : 0);
    portText->ChangeValue(stored.hostport);
    userText->ChangeValue(stored.hostuser);
    passwordText->ChangeValue(stored.hostpasswd);
    const bool autoLogin =
        !telnet && (!stored.hostuser.empty() || !stored.hostpasswd.empty() || !stored.keyfile.empty());
    autoLoginCheck->SetValue(autoLogin);
    autoLoginCheck->Enable(!telnet);
    EnableLoginFields(autoLogin);

    wxTextCtrl* commands[] = {command1Text, command2Text, command3Text};
    wxStringTokenizer lines(stored.hostpostcommand, "\n", wxTOKEN_RET_EMPTY_ALL);
    for (wxTextCtrl* command : commands)
        command->ChangeValue(lines.HasMoreTokens() ? lines.GetNextToken() : wxString());
    postLoginCheck->SetValue(!stored.hostpostcommand.empty());
    EnableCommandFields(!stored.hostpostcommand.empty());
    noteText->ChangeValue(stored.hostcomments);
    keyText->ChangeValue(stored.keyfile);
    FillSessions(stored.puttysession);
}

void ShellyardNewSiteDialog::FillSessions(const wxString& current)
{
    sessionChoice->Clear();
    sessionChoice->Append(kDefaultSession);
    int selected = 0;
    for (const std::string& name : PuttySessions::Names()) {
        const wxString shown = wxString::FromUTF8(name.c_str());
        if (shown == kDefaultSession || shown.empty())
            continue;
        sessionChoice->Append(shown);
        if (shown == current)
            selected = static_cast<int>(sessionChoice->GetCount()) - 1;
    }
    if (!current.empty() && current != kDefaultSession && selected == 0) {
        sessionChoice->Append(current);
        selected = static_cast<int>(sessionChoice->GetCount()) - 1;
    }
    sessionChoice->SetSelection(selected);
}

wxString ShellyardNewSiteDialog::ChosenSession() const
{
    const int selected = sessionChoice->GetSelection();
    return selected <= 0 ? wxString() : sessionChoice->GetString(static_cast<unsigned>(selected));
}

void ShellyardNewSiteDialog::OnChooseKey(wxCommandEvent& event)
{
    wxFileDialog choose(this, _("Private key"), wxString(), keyText->GetValue(),
                        _("PuTTY keys (*.ppk)|*.ppk|All files|*"), wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (choose.ShowModal() == wxID_OK)
        keyText->SetValue(choose.GetPath());
}

wxString ShellyardNewSiteDialog::ReadCommands() const
{
    if (!postLoginCheck->IsChecked())
        return wxString();
    wxString commands;
    for (wxTextCtrl* command : {command1Text, command2Text, command3Text}) {
        if (command->GetValue().empty())
            continue;
        if (!commands.empty())
            commands += "\n";
        commands += command->GetValue();
    }
    return commands;
}

void ShellyardNewSiteDialog::EnableCommandFields(bool enable)
{
    command1Text->Enable(enable);
    command2Text->Enable(enable);
    command3Text->Enable(enable);
}

void ShellyardNewSiteDialog::OnPostLoginClicked(wxCommandEvent& event)
{
    EnableCommandFields(postLoginCheck->IsChecked());
}

void ShellyardNewSiteDialog::EnableLoginFields(bool enable)
{
    userText->Enable(enable);
    passwordText->Enable(enable);
    showPasswordButton->Enable(enable);
    keyText->Enable(enable);
    keyButton->Enable(enable);
}

// Each protocol brings its own port, replacing whatever was typed; only SSH can log in by itself.
// Typed user and password stay, so switching back loses nothing.
void ShellyardNewSiteDialog::OnProtocolChanged(wxCommandEvent& event)
{
    if (event.GetSelection() == kTelnetChoice) {
        portText->SetValue("23");
        autoLoginCheck->SetValue(false);
        autoLoginCheck->Enable(false);
        EnableLoginFields(false);
    } else {
        portText->SetValue("22");
        autoLoginCheck->Enable(true);
        EnableLoginFields(true);
    }
}

void ShellyardNewSiteDialog::OnAutoLoginClicked(wxCommandEvent& event)
{
    EnableLoginFields(autoLoginCheck->IsChecked());
}

void ShellyardNewSiteDialog::OnShowPassword(wxCommandEvent& event)
{
    wxMessageBox(wxString(_("Your Password is: \"")) + passwordText->GetValue() + _("\""),
                 wxMessageBoxCaptionStr, wxOK | wxCENTRE, nullptr);
}

void ShellyardNewSiteDialog::OnOK(wxCommandEvent& event)
{
    // Read as typed: blanks are text, and disabled fields are read too.
    name = nameText->GetValue();
    host = hostIpText->GetValue();
    protocol = protocolChoice->GetStringSelection().Lower();
    port = portText->GetValue();
    user = userText->GetValue();
    password = passwordText->GetValue();

    if (host.empty()) {
        hostIpText->SetFocus();
        wxMessageBox(_("Please specify the connection host IP informations."), "Warning",
                     wxOK | wxICON_INFORMATION, nullptr);
        return;
    }
    if (name.empty())
        name = host;

    if (protocol != "ssh" && autoLoginCheck->IsChecked()) {
        wxMessageBox(_("Warnning: Only SSH protocol support auto login with user and password."), "Warning",
                     wxOK | wxICON_INFORMATION, nullptr);
        autoLoginCheck->SetValue(false);
        return;
    }

    SiteRecord accepted = site;
    accepted.hostname = name;
    accepted.hostip = host;
    accepted.hosttype = protocol;
    accepted.hostport = port;
    accepted.hostuser = user;
    accepted.hostpasswd = password;
    accepted.hostpostcommand = ReadCommands();
    accepted.hostcomments = noteText->GetValue();
    accepted.keyfile = keyText->GetValue();
    accepted.puttysession = ChosenSession();
    if (saver && !saver(accepted))
        return;
    site = accepted;

    // Also works when the dialog is not running modally (then it is only hidden).
    SetReturnCode(1);
    if (IsModal())
        EndModal(1);
    else
        Hide();
}
