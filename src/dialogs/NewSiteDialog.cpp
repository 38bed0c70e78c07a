#include "dialogs/NewSiteDialog.h"

#include "resources/Pictures.h"

#include <algorithm>

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

// Flat tabs exist on Windows only; elsewhere the bit is kept so the notebook has the same style value.
#ifndef wxNB_FLAT
#define wxNB_FLAT 0x0800
#endif

namespace {
// The first label of a row is 50 pixels wide so that the rows line up; a longer text (larger
// fonts) widens it instead of being cut off.
wxStaticText* LeadingLabel(wxWindow* parent, const wxString& text)
{
    auto* label = new wxStaticText(parent, wxID_ANY, text);
    label->SetMinSize(wxSize(std::max(50, label->GetBestSize().GetWidth()), -1));
    return label;
}
}  // namespace

NewSiteDialog::NewSiteDialog(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                             const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style)
{
    SetSizeHints(wxDefaultSize, wxDefaultSize);

    wxBoxSizer* dialogSizer = new wxBoxSizer(wxVERTICAL);

    // Tabs on the left, flat: the style value the stored layout was drawn with.
    connectionNotebook = new wxNotebook(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxNB_LEFT | wxNB_FLAT);
    connectionPage = new wxPanel(connectionNotebook, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    wxBoxSizer* pageSizer = new wxBoxSizer(wxVERTICAL);

    wxBoxSizer* nameRow = new wxBoxSizer(wxHORIZONTAL);
    nameLabel = LeadingLabel(connectionPage, _("Name:"));
    nameRow->Add(nameLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    nameText = new wxTextCtrl(connectionPage, wxID_ANY, wxEmptyString);
    nameRow->Add(nameText, 0, wxALL, 5);
    hostIpLabel = new wxStaticText(connectionPage, wxID_ANY, _("Host IP:"));
    nameRow->Add(hostIpLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    hostIpText = new wxTextCtrl(connectionPage, wxID_ANY, wxEmptyString);
    nameRow->Add(hostIpText, 1, wxALL, 5);
    pageSizer->Add(nameRow, 0, wxEXPAND | wxALL, 5);

    wxBoxSizer* protocolRow = new wxBoxSizer(wxHORIZONTAL);
    protocolLabel = LeadingLabel(connectionPage, _("Protocol:"));
    protocolRow->Add(protocolLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    wxString protocols[] = {"SSH", "TELNET"};
    protocolChoice = new wxChoice(connectionPage, wxID_ANY, wxDefaultPosition, wxDefaultSize, 2, protocols, 0);
    protocolChoice->SetSelection(0);
    protocolRow->Add(protocolChoice, 0, wxALL, 5);
    portLabel = new wxStaticText(connectionPage, wxID_ANY, _("Port:"));
    protocolRow->Add(portLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    portText = new wxTextCtrl(connectionPage, wxID_ANY, "22");
    protocolRow->Add(portText, 0, wxALL, 5);
    pageSizer->Add(protocolRow, 0, wxEXPAND | wxALL, 5);

    wxBoxSizer* autoLoginRow = new wxBoxSizer(wxVERTICAL);
    autoLoginCheck = new wxCheckBox(connectionPage, wxID_ANY, _("Enable Auto Log in(Only in SSH Protocol)"));
    autoLoginRow->Add(autoLoginCheck, 0, wxALL, 5);
    pageSizer->Add(autoLoginRow, 0, wxEXPAND | wxALL, 5);

    wxBoxSizer* userRow = new wxBoxSizer(wxHORIZONTAL);
    userLabel = LeadingLabel(connectionPage, _("User:"));
    userRow->Add(userLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    userText = new wxTextCtrl(connectionPage, wxID_ANY, wxEmptyString);
    userText->Enable(false);
    userRow->Add(userText, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    passwordLabel = new wxStaticText(connectionPage, wxID_ANY, _("Password:"));
    userRow->Add(passwordLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    passwordText = new wxTextCtrl(connectionPage, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                  wxTE_PASSWORD);
    passwordText->Enable(false);
    userRow->Add(passwordText, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    showPasswordButton = new wxBitmapButton(connectionPage, wxID_ANY, PictureBitmap("eyeic"), wxDefaultPosition,
                                            wxDefaultSize, wxBU_AUTODRAW);
    showPasswordButton->SetToolTip(_("Show password in plain text."));
    showPasswordButton->Enable(false);
    userRow->Add(showPasswordButton, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    pageSizer->Add(userRow, 0, wxEXPAND | wxALL, 5);

    // How an SSH site logs in without a password, and which PuTTY saved session it starts from.
    wxBoxSizer* keyRow = new wxBoxSizer(wxHORIZONTAL);
    keyLabel = LeadingLabel(connectionPage, _("Private key:"));
    keyRow->Add(keyLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    keyText = new wxTextCtrl(connectionPage, wxID_ANY, wxEmptyString);
    keyText->Enable(false);
    keyRow->Add(keyText, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    keyButton = new wxButton(connectionPage, wxID_ANY, "...", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    keyButton->SetToolTip(_("Choose the private key file"));
    keyButton->Enable(false);
    keyRow->Add(keyButton, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    pageSizer->Add(keyRow, 0, wxEXPAND | wxLEFT | wxRIGHT, 5);

    wxBoxSizer* sessionRow = new wxBoxSizer(wxHORIZONTAL);
    sessionLabel = LeadingLabel(connectionPage, _("PuTTY settings:"));
    sessionRow->Add(sessionLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    sessionChoice = new wxChoice(connectionPage, wxID_ANY);
    sessionRow->Add(sessionChoice, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    pageSizer->Add(sessionRow, 0, wxEXPAND | wxLEFT | wxRIGHT, 5);

    // The commands are typed into the terminal once it has logged in; their fields follow the box.
    wxStaticBoxSizer* postLoginBox =
        new wxStaticBoxSizer(new wxStaticBox(connectionPage, wxID_ANY, _("Post-login commands")), wxVERTICAL);
    wxStaticBox* box = postLoginBox->GetStaticBox();
    wxBoxSizer* postLoginSizer = new wxBoxSizer(wxVERTICAL);
    postLoginCheck = new wxCheckBox(box, wxID_ANY, _("Enable Post-login command"));
    postLoginSizer->Add(postLoginCheck, 0, wxALL, 5);
    struct CommandRow {
        wxStaticText*& label;
        wxTextCtrl*& text;
        wxString caption;
    };
    CommandRow commandRows[] = {{command1Label, command1Text, _("Command1:")},
                                {command2Label, command2Text, _("Command2:")},
                                {command3Label, command3Text, _("Command3:")}};
    for (CommandRow& row : commandRows) {
        wxBoxSizer* rowSizer = new wxBoxSizer(wxHORIZONTAL);
        row.label = new wxStaticText(box, wxID_ANY, row.caption);
        rowSizer->Add(row.label, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
        row.text = new wxTextCtrl(box, wxID_ANY, wxEmptyString);
        row.text->Enable(false);
        rowSizer->Add(row.text, 1, wxALL, 5);
        postLoginSizer->Add(rowSizer, 0, wxEXPAND | wxALL, 5);
    }
    postLoginBox->Add(postLoginSizer, 0, wxEXPAND | wxALL, 5);
    pageSizer->Add(postLoginBox, 1, wxEXPAND | wxALL, 5);

    wxBoxSizer* noteRow = new wxBoxSizer(wxHORIZONTAL);
    noteLabel = LeadingLabel(connectionPage, _("Note:"));
    noteRow->Add(noteLabel, 0, wxALL, 5);
    noteText = new wxTextCtrl(connectionPage, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                              wxTE_MULTILINE);
    // Three lines of text.
    noteText->SetMinSize(wxSize(-1, 3 * noteText->GetCharHeight() + 12));
    noteRow->Add(noteText, 1, wxALL | wxEXPAND, 5);
    pageSizer->Add(noteRow, 0, wxEXPAND | wxALL, 5);

    connectionPage->SetSizer(pageSizer);
    connectionPage->Layout();
    pageSizer->Fit(connectionPage);
    connectionNotebook->AddPage(connectionPage, _("Connection"), true);
    dialogSizer->Add(connectionNotebook, 1, wxEXPAND | wxALL, 5);

    buttonSizer = new wxStdDialogButtonSizer();
    okButton = new wxButton(this, wxID_OK);
    buttonSizer->AddButton(okButton);
    buttonSizer->Realize();
    dialogSizer->Add(buttonSizer, 0, wxEXPAND | wxALL, 5);

    SetSizer(dialogSizer);
    // 440x345 holds every control with compact fonts; where controls are larger the dialog grows
    // so that none is cut off.
    wxSize fitting = GetSize();
    fitting.IncTo(GetBestSize());
    SetSize(fitting);
    Layout();

    protocolChoice->Bind(wxEVT_CHOICE, &NewSiteDialog::OnProtocolChanged, this);
    autoLoginCheck->Bind(wxEVT_CHECKBOX, &NewSiteDialog::OnAutoLoginClicked, this);
    showPasswordButton->Bind(wxEVT_BUTTON, &NewSiteDialog::OnShowPassword, this);
    okButton->Bind(wxEVT_BUTTON, &NewSiteDialog::OnOK, this);
    postLoginCheck->Bind(wxEVT_CHECKBOX, &NewSiteDialog::OnPostLoginClicked, this);
    keyButton->Bind(wxEVT_BUTTON, &NewSiteDialog::OnChooseKey, this);
}

NewSiteDialog::~NewSiteDialog()
{
    protocolChoice->Unbind(wxEVT_CHOICE, &NewSiteDialog::OnProtocolChanged, this);
    autoLoginCheck->Unbind(wxEVT_CHECKBOX, &NewSiteDialog::OnAutoLoginClicked, this);
    showPasswordButton->Unbind(wxEVT_BUTTON, &NewSiteDialog::OnShowPassword, this);
    okButton->Unbind(wxEVT_BUTTON, &NewSiteDialog::OnOK, this);
    postLoginCheck->Unbind(wxEVT_CHECKBOX, &NewSiteDialog::OnPostLoginClicked, this);
    keyButton->Unbind(wxEVT_BUTTON, &NewSiteDialog::OnChooseKey, this);
}
