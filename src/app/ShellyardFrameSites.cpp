// The site tree of the main window and the site commands: connect, delete, monitor, connect all,
// and the new-site flow.
#include "app/ShellyardFrame.h"

#include "app/SiteTreeItemData.h"
#include "dialogs/ShellyardNewSiteDialog.h"
#include "monitor/ShellyardMonPanel.h"
#include "resources/Pictures.h"
#include "storage/SiteStore.h"

#include <vector>
#include <wx/artprov.h>
#include <wx/imaglist.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/weakref.h>

namespace {
enum { kSiteImage = 2, kDetailImage = 6 };

// "Host:", "Type:" and "Port:" are five characters each; the value follows.
const size_t kDetailPrefixLength = 5;

wxString DetailValue(wxTreeCtrl* tree, const wxTreeItemId& line)
{
    return line.IsOk() ? tree->GetItemText(line).Mid(kDetailPrefixLength) : wxString();
}
}  // namespace

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
    // The root is expanded before the sites arrive: expanding it afterwards would lay out every
    // site once more, which takes long with thousands of them.
    siteTree->SetItemHasChildren(root, true);
    siteTree->Expand(root);
    FillSiteTree();
    if (siteTree->GetChildrenCount(root, false) == 0)
        siteTree->SetItemHasChildren(root, false);

    // This tree reports a right click for the mouse only. The context-menu key and Shift+F10 ask
    // for the same menu without a point, so that it opens at the centre of the frame.
    siteTree->Bind(wxEVT_KEY_DOWN, &ShellyardFrame::OnSiteTreeKey, this);
}

void ShellyardFrame::OnSiteTreeKey(wxKeyEvent& event)
{
    bool menuKey = event.GetKeyCode() == WXK_MENU ||
                   (event.GetKeyCode() == WXK_F10 && event.GetModifiers() == wxMOD_SHIFT);
    wxTreeItemId item = siteTree->GetFocusedItem();
    if (!menuKey || !item.IsOk()) {
        event.Skip();
        return;
    }
    wxTreeEvent request(wxEVT_TREE_ITEM_RIGHT_CLICK, siteTree, item);
    request.SetPoint(wxPoint(-1, -1));
    siteTree->GetEventHandler()->ProcessEvent(request);
}

// One site node per stored site, in the database's order, each with its four detail lines. Every
// site is shown, however many there are: a store is never cut short silently.
void ShellyardFrame::FillSiteTree()
{
    std::unique_ptr<SiteList> sites = siteStore ? siteStore->ListSites() : nullptr;
    if (!sites)
        return;
    wxTreeItemId root = siteTree->GetRootItem();
    siteTree->Freeze();
    for (size_t i = 0; i < sites->GetCount(); ++i) {
        const SiteRecord& site = sites->Item(i);
        wxTreeItemId node = siteTree->AppendItem(root, site.hostname, kSiteImage, kSiteImage,
                                                 new SiteTreeItemData("SiteItem", site.rowid));
        siteTree->AppendItem(node, "Host:" + site.hostip, kDetailImage, kDetailImage);
        siteTree->AppendItem(node, "Type:" + site.hosttype, kDetailImage, kDetailImage);
        siteTree->AppendItem(node, "Port:" + site.hostport, kDetailImage, kDetailImage);
        siteTree->AppendItem(node, site.hostuser.empty() ? "Auto:No" : "Auto:Yes", kDetailImage, kDetailImage);
    }
    siteTree->Thaw();
}

// A detail line stands for the site it belongs to: commands on it act on its parent, never on a
// site that happens to be named like the line.
wxTreeItemId ShellyardFrame::SiteNodeOf(const wxTreeItemId& item) const
{
    if (!item.IsOk() || item == siteTree->GetRootItem())
        return wxTreeItemId();
    wxTreeItemId parent = siteTree->GetItemParent(item);
    if (parent.IsOk() && parent != siteTree->GetRootItem())
        return parent;
    return item;
}

long long ShellyardFrame::RowidOf(const wxTreeItemId& node) const
{
    auto* data = node.IsOk() ? dynamic_cast<SiteTreeItemData*>(siteTree->GetItemData(node)) : nullptr;
    return data ? data->GetRowid() : 0;
}

std::unique_ptr<SiteRecord> ShellyardFrame::FindCurrentSite(long long rowid, const wxString& host,
                                                            const wxString& name)
{
    if (!siteStore)
        return nullptr;
    return rowid > 0 ? siteStore->FindSiteByRowid(rowid) : siteStore->FindSite(host, name);
}

void ShellyardFrame::ReadSiteFromNode(const wxTreeItemId& node)
{
    siteName = siteTree->GetItemText(node);
    siteRowid = RowidOf(node);
    wxTreeItemIdValue cookie;
    wxTreeItemId line = siteTree->GetFirstChild(node, cookie);
    siteHost = DetailValue(siteTree, line);
    if (line.IsOk())
        line = siteTree->GetNextChild(node, cookie);
    siteProtocol = DetailValue(siteTree, line);
    if (line.IsOk())
        line = siteTree->GetNextChild(node, cookie);
    sitePort = DetailValue(siteTree, line);
}

void ShellyardFrame::OnTreeItemActivated(wxTreeEvent& event)
{
    wxTreeItemId site = SiteNodeOf(event.GetItem());
    if (!site.IsOk())
        return;
    ReadSiteFromNode(site);
    wxString question = wxString::Format(_("Are you sure to connect %s - %s now?"), siteName, siteHost);
    if (wxMessageBox(question, "Shellyard", wxYES_NO, this) == wxYES)
        ConnectSite();
}

void ShellyardFrame::OnTreeItemRightClick(wxTreeEvent& event)
{
    // The tree reports the click in its own coordinates; the popup is shown on the frame. A menu
    // asked for from the keyboard has no point and opens at the centre of the frame.
    wxPoint point = event.GetPoint();
    if (point == wxPoint(-1, -1))
        point = wxPoint(GetSize().GetWidth() / 2, GetSize().GetHeight() / 2);
    else
        point = ScreenToClient(siteTree->ClientToScreen(point));

    wxTreeItemId site = SiteNodeOf(event.GetItem());
    if (site.IsOk()) {
        menuItem = site;
        ReadSiteFromNode(site);
        ShowSiteMenu(kSiteMenu, point);
        event.Skip();
    } else {
        menuItem = event.GetItem();
        ShowSiteMenu(kRootMenu, point);
    }
}

void ShellyardFrame::ShowSiteMenu(int kind, const wxPoint& point)
{
    wxMenu menu;
    if (kind == kRootMenu) {
        menu.Append(ID_SITES_CONNECT_ALL, _("Connect all sites"), wxEmptyString);
        menu.Append(ID_SITES_DELETE_ALL, _("Delete all sites"), wxEmptyString);
    } else {
        menu.Append(ID_SITE_CONNECT, _("Connect this site"), wxEmptyString);
        menu.Append(ID_SITE_DELETE, _("Delete this site"), wxEmptyString);
        menu.Append(ID_SITE_MODIFY, _("Modify this site"), wxEmptyString);
        menu.AppendSeparator();
        menu.Append(ID_SITE_MONITOR, _("Monitor this site"), wxEmptyString);
    }
    PopupMenu(&menu, point);
}

void ShellyardFrame::OnSiteMenu(wxCommandEvent& event)
{
    switch (event.GetId()) {
    case ID_SITE_CONNECT:
        ConnectSite();
        break;
    case ID_SITE_DELETE:
        DeleteSelectedSite();
        break;
    case ID_SITE_MONITOR:
        StartMonitor();
        break;
    case ID_SITES_CONNECT_ALL:
        ConnectAllSites();
        break;
    case ID_SITE_MODIFY:
    case ID_SITES_DELETE_ALL:
        wxMessageBox(_("Not implement yet."), wxMessageBoxCaptionStr, wxOK | wxCENTRE, nullptr);
        break;
    }
}

// Deletes the node that was right-clicked (whatever is selected) and then its stored row.
void ShellyardFrame::DeleteSelectedSite()
{
    if (!menuItem.IsOk() || menuItem == siteTree->GetRootItem())
        return;
    wxString question = wxString::Format(_("Are you sure to delete this site %s now?"), siteName);
    if (wxMessageBox(question, "Shellyard", wxYES_NO, this) != wxYES)
        return;

    // Exactly the node's own row goes, in one statement: other sites may share its host and name.
    // A node without a row (its saving failed) has nothing stored to delete.
    wxTreeItemId node = menuItem;
    long long rowid = RowidOf(node);
    menuItem = wxTreeItemId();  // the node is gone: no later command may use it
    siteTree->Delete(node);
    if (siteStore && rowid > 0)
        siteStore->DeleteSiteByRowid(rowid);
}

void ShellyardFrame::StartMonitor()
{
    std::unique_ptr<SiteRecord> stored = FindCurrentSite(siteRowid, siteHost, siteName);
    siteUser = stored ? stored->hostuser : wxString();
    sitePassword = stored ? stored->hostpasswd : wxString();

    if (siteProtocol == "ssh" && !siteUser.empty() && !sitePassword.empty()) {
        wxString problem = UnsafeSiteValues(siteName, siteProtocol, siteHost, sitePort, siteUser, sitePassword);
        if (problem.empty())
            OpenMonitorPage();
        else
            wxMessageBox(problem, "Shellyard", wxOK | wxICON_WARNING, this);
        return;
    }
    wxMessageBox(_("Warnning: Only SSH protocol site with auto-login enabled can be monitored."), "Warning",
                 wxOK | wxICON_INFORMATION, nullptr);
}

// The monitor tab for the current site (an SSH site with user and password). It is shown once its
// system information and first process list are there.
void ShellyardFrame::OpenMonitorPage()
{
    ShellyardMonPanel* page = new ShellyardMonPanel(notebook);
    LocateTerminalPrograms();
    page->SetMonitorTarget(plinkPath, siteHost, siteUser, sitePassword, "vmstat 5", sitePort);
    notebook->AddPage(page, siteName, false, PictureBitmap("montab"));
    wxWeakRef<ShellyardMonPanel> started(page);
    page->StartMonitoring();
    int index = started ? notebook->GetPageIndex(page) : wxNOT_FOUND;
    if (index != wxNOT_FOUND)
        notebook->SetSelection(static_cast<size_t>(index));
    auiManager.Update();
}

void ShellyardFrame::ConnectAllSites()
{
    // Every site in tree order; several connect at a time, their tabs and messages in that order.
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = siteTree->GetFirstChild(siteTree->GetRootItem(), cookie); child.IsOk();
         child = siteTree->GetNextChild(siteTree->GetRootItem(), cookie)) {
        ReadSiteFromNode(child);
        sitesToConnect.push_back(CurrentSiteToConnect());
    }
    AdvanceConnections(true);
}

void ShellyardFrame::AppendSiteNode()
{
    wxTreeItemId node = siteTree->AppendItem(siteTree->GetRootItem(), siteName, kSiteImage, kSiteImage,
                                             new SiteTreeItemData("SiteItem", siteRowid));
    siteTree->AppendItem(node, wxString::Format("Host:%s", siteHost), kDetailImage, kDetailImage);
    siteTree->AppendItem(node, wxString::Format("Type:%s", siteProtocol), kDetailImage, kDetailImage);
    siteTree->AppendItem(node, wxString::Format("Port:%s", sitePort), kDetailImage, kDetailImage);
    siteTree->Expand(node);
}

void ShellyardFrame::OnNewConnection(wxCommandEvent& event)
{
    {
        ShellyardNewSiteDialog dialog(this);
        if (dialog.ShowModal() != 1)
            return;
        dialog.GetSiteFields(siteName, siteHost, siteProtocol, sitePort, siteUser, sitePassword);
    }

    SiteRecord record;
    record.hostpasswd = sitePassword;
    record.hostuser = siteUser;
    record.hosttype = siteProtocol;
    record.hostip = siteHost;
    record.hostname = siteName;
    record.hostport = sitePort;
    record.hostpostcommand = sitePostCommand;
    record.hostcomments = siteComments;
    long long rowid = 0;
    int stored = siteStore ? siteStore->AddSite(record, &rowid) : 0;
    siteRowid = stored > 0 ? rowid : 0;
    // A missing table has been reported by the store already; any other failure would otherwise
    // go unnoticed until the site is missing after a restart.
    if (stored == 0)
        wxMessageBox(_("The site could not be saved in the database. It can be used now, but it will be "
                       "missing after a restart."),
                     "Shellyard", wxOK | wxICON_ERROR, this);

    AppendSiteNode();
    ConnectSite();
}
