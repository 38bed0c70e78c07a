#include "app/SitesPanel.h"

#include "app/SiteTree.h"
#include "resources/Pictures.h"

#include <wx/artprov.h>
#include <wx/imaglist.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {
const wxWindowID kSiteTreeId = 408;
}

SitesPanel::SitesPanel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : wxPanel(parent, id, pos, size, style)
{
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);

    wxBoxSizer* findRow = new wxBoxSizer(wxHORIZONTAL);
    findLabel = new wxStaticText(this, wxID_ANY, _("Find:"));
    findRow->Add(findLabel, 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 4);
    findText = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
    findRow->Add(findText, 1, wxALIGN_CENTER_VERTICAL | wxTOP | wxBOTTOM | wxRIGHT, 2);
    sizer->Add(findRow, 0, wxEXPAND, 0);

    siteTree = MakeTree(kSiteTreeId);
    sizer->Add(siteTree, 1, wxEXPAND, 0);
    findTree = MakeTree(wxID_ANY);
    findTree->Hide();
    sizer->Add(findTree, 1, wxEXPAND, 0);

    SetSizer(sizer);
    Layout();

    findText->Bind(wxEVT_TEXT, &SitesPanel::OnFindText, this);
    findText->Bind(wxEVT_TEXT_ENTER, &SitesPanel::OnFindEnter, this);
    findText->Bind(wxEVT_KEY_DOWN, &SitesPanel::OnFindKey, this);
    ConnectTree(siteTree, true);
    ConnectTree(findTree, true);
}

SitesPanel::~SitesPanel()
{
    findText->Unbind(wxEVT_TEXT, &SitesPanel::OnFindText, this);
    findText->Unbind(wxEVT_TEXT_ENTER, &SitesPanel::OnFindEnter, this);
    findText->Unbind(wxEVT_KEY_DOWN, &SitesPanel::OnFindKey, this);
    ConnectTree(siteTree, false);
    ConnectTree(findTree, false);
}

// A tree with expand buttons and lines at the root, no border, and its own seven images: 0 and 1
// the root (normal, selected), 2 a site, 3 and 4 a folder (closed, open), 5 unused, 6 the toolkit's
// information art for detail lines.
wxTreeCtrl* SitesPanel::MakeTree(wxWindowID id)
{
    wxTreeCtrl* tree = new SiteTree(this, id);
    wxImageList* images = new wxImageList(16, 16, true, 7);
    for (int i = 0; i < 6; ++i)
        images->Add(PictureBitmap(wxString::Format("tree%d", i)));
    images->Add(wxArtProvider::GetBitmap(wxART_INFORMATION, wxART_OTHER, wxSize(16, 16)));
    tree->AssignImageList(images);
    return tree;
}

void SitesPanel::ConnectTree(wxTreeCtrl* tree, bool connect)
{
    auto route = [&](auto type, auto handler) {
        if (connect)
            tree->Bind(type, handler, this);
        else
            tree->Unbind(type, handler, this);
    };
    route(wxEVT_TREE_ITEM_ACTIVATED, &SitesPanel::OnTreeItemActivated);
    route(wxEVT_TREE_ITEM_RIGHT_CLICK, &SitesPanel::OnTreeItemRightClick);
    route(wxEVT_TREE_ITEM_EXPANDING, &SitesPanel::OnTreeItemExpanding);
    route(wxEVT_TREE_ITEM_GETTOOLTIP, &SitesPanel::OnTreeItemToolTip);
    route(wxEVT_TREE_BEGIN_DRAG, &SitesPanel::OnTreeBeginDrag);
    route(wxEVT_TREE_END_DRAG, &SitesPanel::OnTreeEndDrag);
    route(wxEVT_KEY_DOWN, &SitesPanel::OnTreeKey);
}
