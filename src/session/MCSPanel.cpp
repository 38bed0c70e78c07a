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

    allButton = new wxButton(this, wxID_ANY, _("All"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    allButton->SetToolTip(_("Every terminal tab receives the commands"));
    sizer->Add(allButton, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
    noneButton = new wxButton(this, wxID_ANY, _("None"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    noneButton->SetToolTip(_("No terminal tab receives the commands; choose some in their tab menus"));
    sizer->Add(noneButton, 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 2);

    SetSizer(sizer);
    Layout();

    commandText->Connect(wxEVT_COMMAND_TEXT_ENTER, wxCommandEventHandler(MCSPanel::OnCommandEnter), nullptr, this);
    sendButton->Connect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(MCSPanel::OnSend), nullptr, this);
    allButton->Connect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(MCSPanel::OnAll), nullptr, this);
    noneButton->Connect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(MCSPanel::OnNone), nullptr, this);
}

MCSPanel::~MCSPanel()
{
    commandText->Disconnect(wxEVT_COMMAND_TEXT_ENTER, wxCommandEventHandler(MCSPanel::OnCommandEnter), nullptr,
                            this);
    sendButton->Disconnect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(MCSPanel::OnSend), nullptr, this);
    allButton->Disconnect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(MCSPanel::OnAll), nullptr, this);
    noneButton->Disconnect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(MCSPanel::OnNone), nullptr, this);
}
