#include "session/MCSPanel.h"

#include "resources/Pictures.h"

#include <wx/sizer.h>

MCSPanel::MCSPanel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : wxPanel(parent, id, pos, size, style)
{
    wxBoxSizer* sizer = new wxBoxSizer(wxHORIZONTAL);

    commandLabel = new wxStaticText(this, wxID_ANY, _("MCS Command:"), wxDefaultPosition, wxDefaultSize, 0);
    commandLabel->Wrap(-1);
    commandLabel->SetToolTip(_("MCS(Multi Command Sender): Send Command to Multi Connected Connections"));
    sizer->Add(commandLabel, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);

    commandText = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                 wxSIMPLE_BORDER | wxTE_PROCESS_ENTER);
    sizer->Add(commandText, 1, wxALIGN_CENTER_VERTICAL, 2);

    // Flat: a framed GTK button needs about 36x34 pixels for its padding and, held to 20x20,
    // shows no picture at all.
    sendButton = new wxBitmapButton(this, wxID_ANY, PictureBitmap("startic"), wxDefaultPosition, wxSize(20, 20),
                                    wxBU_AUTODRAW | wxBORDER_NONE);
    sizer->Add(sendButton, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);

    SetSizer(sizer);
    Layout();

    commandText->Connect(wxEVT_COMMAND_TEXT_ENTER, wxCommandEventHandler(MCSPanel::OnCommandEnter), nullptr, this);
    sendButton->Connect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(MCSPanel::OnSend), nullptr, this);
}

MCSPanel::~MCSPanel()
{
    commandText->Disconnect(wxEVT_COMMAND_TEXT_ENTER, wxCommandEventHandler(MCSPanel::OnCommandEnter), nullptr,
                            this);
    sendButton->Disconnect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(MCSPanel::OnSend), nullptr, this);
}
