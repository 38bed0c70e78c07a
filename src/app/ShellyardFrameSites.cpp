// The site tree of the main window and the site commands: connect, delete, monitor, connect all,
// and the new-site flow.
#include "app/ShellyardFrame.h"

#include "app/SiteTreeItemData.h"
#include "resources/Pictures.h"
#include "storage/SiteStore.h"

#include <wx/artprov.h>
#include <wx/imaglist.h>
#include <wx/msgdlg.h>

void ShellyardFrame::BuildSiteTree()
{
    siteTree = new wxTreeCtrl(this, ID_SITE_TREE, wxDefaultPosition, wxDefaultSize,
                              wxTR_DEFAULT_STYLE | wxNO_BORDER);
    wxImageList* images = new wxImageList(16, 16, true, 7);
    for (int i = 0; i < 6; ++i)
        images->Add(PictureBitmap(wxString::Format("tree%d", i)));
    images->Add(wxArtProvider::GetBitmap(wxART_INFORMATION, wxART_OTHER, wxSize(16, 16)));
    siteTree->AssignImageList(images);

    wxTreeItemId root = siteTree->AddRoot(_("Sites List"), 0, 1, new SiteTreeItemData("Root item"));
    auiManager.AddPane(siteTree, wxAuiPaneInfo().Name("SiteTree").Caption("Sites List").Left()
                                     .BestSize(wxSize(200, 200)).CloseButton(false).PinButton(true));
    FillSiteTree();
    siteTree->Expand(root);
}

void ShellyardFrame::FillSiteTree()
{
}

void ShellyardFrame::ReadSiteFromNode(const wxTreeItemId& node)
{
}

void ShellyardFrame::OnTreeItemActivated(wxTreeEvent& event)
{
}

void ShellyardFrame::OnTreeItemRightClick(wxTreeEvent& event)
{
}

void ShellyardFrame::ShowSiteMenu(int kind, const wxPoint& point)
{
}

void ShellyardFrame::OnSiteMenu(wxCommandEvent& event)
{
}

void ShellyardFrame::DeleteSelectedSite()
{
}

void ShellyardFrame::StartMonitor()
{
}

void ShellyardFrame::ConnectAllSites()
{
}

void ShellyardFrame::AppendSiteNode()
{
}

void ShellyardFrame::OnNewConnection(wxCommandEvent& event)
{
}
