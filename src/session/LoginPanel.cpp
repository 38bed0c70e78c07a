#include "session/LoginPanel.h"

#include "resources/Pictures.h"

#include <wx/sizer.h>

LoginPanel::LoginPanel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : wxPanel(parent, id, pos, size, style)
{
    wxBoxSizer* sizer = new wxBoxSizer(wxHORIZONTAL);

    quickLoginLabel = new wxStaticText(this, wxID_ANY, _("Quick Login:"), wxDefaultPosition, wxDefaultSize, 0);
    quickLoginLabel->Wrap(-1);
    sizer->Add(quickLoginLabel, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);

    hostText = new wxComboBox(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(-1, 20), 0, nullptr,
                              wxSIMPLE_BORDER | wxTE_PROCESS_ENTER);
    sizer->Add(hostText, 2, wxALIGN_CENTER_VERTICAL, 0);

    protocolLabel = new wxStaticText(this, wxID_ANY, _("Protocol"), wxDefaultPosition, wxDefaultSize, 0);
    protocolLabel->Wrap(-1);
    sizer->Add(protocolLabel, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);

    wxString protocols[] = {_("SSH"), _("TELNET")};
    protocolChoice = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 2, protocols, wxSIMPLE_BORDER);
    protocolChoice->SetSelection(0);
    sizer->Add(protocolChoice, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);

    // Flat: a framed GTK button needs about 36x34 pixels for its padding and, held to 20x20,
    // shows no picture at all.
    loginButton = new wxBitmapButton(this, wxID_ANY, PictureBitmap("loginic"), wxDefaultPosition, wxSize(20, 20),
                                     wxBU_AUTODRAW | wxBORDER_NONE);
    sizer->Add(loginButton, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);

    SetSizer(sizer);
    Layout();

    loginButton->Connect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(LoginPanel::OnLogin), nullptr, this);
    hostText->Connect(wxEVT_COMMAND_TEXT_ENTER, wxCommandEventHandler(LoginPanel::OnHostEnter), nullptr, this);
    hostText->Connect(wxEVT_COMMAND_COMBOBOX_SELECTED, wxCommandEventHandler(LoginPanel::OnHostChosen), nullptr, this);
    hostText->Connect(wxEVT_COMBOBOX_DROPDOWN, wxCommandEventHandler(LoginPanel::OnHostDropDown), nullptr, this);
    protocolChoice->Connect(wxEVT_COMMAND_CHOICE_SELECTED, wxCommandEventHandler(LoginPanel::OnProtocolChosen),
                            nullptr, this);
}

LoginPanel::~LoginPanel()
{
    loginButton->Disconnect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(LoginPanel::OnLogin), nullptr,
                            this);
    hostText->Disconnect(wxEVT_COMMAND_TEXT_ENTER, wxCommandEventHandler(LoginPanel::OnHostEnter), nullptr, this);
    hostText->Disconnect(wxEVT_COMMAND_COMBOBOX_SELECTED, wxCommandEventHandler(LoginPanel::OnHostChosen), nullptr,
                         this);
    hostText->Disconnect(wxEVT_COMBOBOX_DROPDOWN, wxCommandEventHandler(LoginPanel::OnHostDropDown), nullptr, this);
    protocolChoice->Disconnect(wxEVT_COMMAND_CHOICE_SELECTED, wxCommandEventHandler(LoginPanel::OnProtocolChosen),
                               nullptr, this);
}
