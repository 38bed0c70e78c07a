#include "monitor/MonOverviewPanel.h"

#include <wx/sizer.h>

MonOverviewPanel::MonOverviewPanel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                                   long style)
    : wxPanel(parent, id, pos, size, style)
{
    SetBackgroundColour(wxColour(255, 255, 255));
    wxBoxSizer* page = new wxBoxSizer(wxVERTICAL);
    hostList = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                              wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_HRULES | wxLC_VRULES);
    page->Add(hostList, 1, wxEXPAND | wxALL, 5);
    SetSizer(page);
    Layout();
    hostList->Connect(wxEVT_COMMAND_LIST_ITEM_ACTIVATED, wxListEventHandler(MonOverviewPanel::OnItemActivated),
                      nullptr, this);
}

MonOverviewPanel::~MonOverviewPanel()
{
    hostList->Disconnect(wxEVT_COMMAND_LIST_ITEM_ACTIVATED, wxListEventHandler(MonOverviewPanel::OnItemActivated),
                         nullptr, this);
}
