#include "monitor/MonPanel.h"

#include "resources/ReadableColour.h"

#include <wx/button.h>
#include <wx/intl.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

MonPanel::MonPanel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : wxPanel(parent, id, pos, size, style)
{
    SetBackgroundColour(wxColour(255, 255, 255));
    wxBoxSizer* page = new wxBoxSizer(wxVERTICAL);

    // The interval row: seconds between samples, and the button that starts and stops monitoring.
    wxBoxSizer* top = new wxBoxSizer(wxHORIZONTAL);
    intervalLabel = new wxStaticText(this, wxID_ANY, _("Interval(S):"));
    top->Add(intervalLabel, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    intervalText = new wxTextCtrl(this, wxID_ANY, "5");
    intervalText->SetMaxLength(3);
    top->Add(intervalText, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    startButton = new wxButton(this, wxID_ANY, _("Start"));
    top->Add(startButton, 0, wxALL, 5);
    page->Add(top, 0, wxEXPAND | wxALL, 5);

    wxBoxSizer* charts = new wxBoxSizer(wxHORIZONTAL);
    cpuBitmap = new wxStaticBitmap(this, wxID_ANY, wxNullBitmap);
    charts->Add(cpuBitmap, 3, wxEXPAND | wxALL, 5);
    memoryBitmap = new wxStaticBitmap(this, wxID_ANY, wxNullBitmap);
    charts->Add(memoryBitmap, 3, wxEXPAND | wxALL, 5);
    page->Add(charts, 1, wxEXPAND, 5);

    wxBoxSizer* lower = new wxBoxSizer(wxHORIZONTAL);
    processList = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                 wxLC_REPORT | wxLC_HRULES | wxLC_VRULES | wxLC_ALIGN_LEFT);
    lower->Add(processList, 2, wxEXPAND | wxALL, 5);

    wxStaticBoxSizer* information = new wxStaticBoxSizer(wxVERTICAL, this, _("System Information"));
    wxBoxSizer* total = new wxBoxSizer(wxHORIZONTAL);
    totalLabel = new wxStaticText(information->GetStaticBox(), wxID_ANY, _("Process Total:"));
    total->Add(totalLabel, 0, wxALL, 5);
    totalText = new wxTextCtrl(information->GetStaticBox(), wxID_ANY, wxEmptyString, wxDefaultPosition,
                               wxDefaultSize, wxTE_READONLY | wxNO_BORDER);
    totalText->SetForegroundColour(
        ReadableOn(totalText->GetBackgroundColour(), wxSystemSettings::GetColour(wxSYS_COLOUR_ACTIVECAPTION)));
    total->Add(totalText, 1, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    information->Add(total, 0, wxEXPAND, 5);
    wxBoxSizer* infoBox = new wxBoxSizer(wxVERTICAL);
    infoText = new wxTextCtrl(information->GetStaticBox(), wxID_ANY, wxEmptyString, wxDefaultPosition,
                              wxDefaultSize, wxTE_MULTILINE | wxTE_READONLY | wxNO_BORDER);
    infoBox->Add(infoText, 1, wxEXPAND | wxALL, 5);
    information->Add(infoBox, 1, wxEXPAND, 5);
    lower->Add(information, 1, wxEXPAND, 5);
    page->Add(lower, 2, wxEXPAND, 5);

    SetSizer(page);
    Layout();

    startButton->Connect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(MonPanel::OnStartStop), nullptr, this);
    processList->Connect(wxEVT_COMMAND_LIST_COL_CLICK, wxListEventHandler(MonPanel::OnColumnClick), nullptr, this);
}

MonPanel::~MonPanel()
{
    startButton->Disconnect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(MonPanel::OnStartStop), nullptr,
                            this);
    processList->Disconnect(wxEVT_COMMAND_LIST_COL_CLICK, wxListEventHandler(MonPanel::OnColumnClick), nullptr,
                            this);
}
