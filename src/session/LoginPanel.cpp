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

    hostText = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(-1, 20), wxSIMPLE_BORDER);
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
}

LoginPanel::~LoginPanel()
{
    loginButton->Disconnect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(LoginPanel::OnLogin), nullptr,
                            this);
}
