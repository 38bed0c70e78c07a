// The sites pane: filling the tree, its nodes and context menus. The site commands are in
// ShellyardSitesPanelCommands.cpp.
#include "app/ShellyardSitesPanel.h"

#include "app/ShellyardFrame.h"
#include "app/SiteTreeItemData.h"
#include "dialogs/ShellyardNewSiteDialog.h"
#include "storage/SiteStore.h"

#include <wx/menu.h>
#include <wx/msgdlg.h>

namespace {
enum { kRootImage = 0, kRootSelectedImage = 1, kSiteImage = 2, kFolderImage = 3, kOpenFolderImage = 4,
       kDetailImage = 6 };
}

ShellyardSitesPanel::ShellyardSitesPanel(ShellyardFrame* frame, SiteStore* store)
    : SitesPanel(frame), frame(frame), store(store)
{
    for (wxTreeCtrl* tree : {siteTree, findTree}) {
        wxTreeItemId root = tree->AddRoot(_("Sites List"), kRootImage, kRootSelectedImage,
                                          new SiteTreeItemData("Root item"));
        // The root is expanded before the sites arrive: expanding it afterwards would lay out
        // every site once more, which takes long with thousands of them.
        tree->SetItemHasChildren(root, true);
        tree->Expand(root);
    }
    // Ctrl+F anywhere in the main window goes to Find (a terminal that holds the keys keeps them).
    frame->Bind(wxEVT_CHAR_HOOK, &ShellyardSitesPanel::OnFrameKey, this);
}

ShellyardSitesPanel::~ShellyardSitesPanel()
{
    frame->Unbind(wxEVT_CHAR_HOOK, &ShellyardSitesPanel::OnFrameKey, this);
}

void ShellyardSitesPanel::OnFrameKey(wxKeyEvent& event)
{
    if (event.GetKeyCode() == 'F' && event.GetModifiers() == wxMOD_CONTROL) {
        FocusFind();
        return;
    }
    event.Skip();
}

void ShellyardSitesPanel::FocusFind()
{
    findText->SetFocus();
    findText->SelectAll();
}

// Folders first, each with its folders and then its sites, so that folders stand above the sites
// of their level. Every site of the top level is shown, however many there are: a store is never
// cut short silently. Detail lines come when a site is first opened.
void ShellyardSitesPanel::Fill()
{
    std::unique_ptr<SiteList> sites = store ? store->ListSites() : nullptr;
    if (!sites && store && store->LastFailure() != SiteStore::Failure::Incorrect)
        TellFailure(_("The sites could not be read"), false);
    std::vector<SiteFolder> folders = store && sites ? store->ListFolders() : std::vector<SiteFolder>();
    const SiteList none;
    catalog.Load(sites ? *sites : none, folders);
    sites.reset();

    siteTree->Freeze();
    size_t budget = kEagerNodes;
    BuildContents(0, siteTree->GetRootItem(), budget);
    siteTree->Thaw();
    Changed();
}

// The folder's folders and sites under its node; then, while the budget of nodes lasts, the
// contents of each of those folders, and so on down. A folder left over shows its button and gets
// its contents when it is first opened (or something in it is shown to the user): with tens of
// thousands of sites in folders, nodes nobody has opened would cost most of the start.
void ShellyardSitesPanel::BuildContents(long long folder, const wxTreeItemId& node, size_t& budget)
{
    size_t position = siteTree->GetChildrenCount(node, false);
    std::vector<std::pair<long long, wxTreeItemId>> inner;
    for (long long id : catalog.FoldersIn(folder)) {
        wxTreeItemId child = AddFolderNode(siteTree, node, *catalog.FindFolder(id), position++);
        folderNodes[id] = child;
        inner.emplace_back(id, child);
    }
    const std::vector<long long> sites = catalog.SitesIn(folder);
    for (long long rowid : sites)
        siteNodes[rowid] = AddSiteNode(siteTree, node, *catalog.FindSite(rowid), position++);
    budget -= std::min(budget, inner.size() + sites.size());
    for (const auto& [id, child] : inner) {
        if (budget > 0) {
            BuildContents(id, child, budget);
        } else {
            unbuiltFolders.insert(id);
            siteTree->SetItemHasChildren(child, catalog.HasContents(id));
        }
    }
}

void ShellyardSitesPanel::BuildFolder(long long folder)
{
    auto unbuilt = unbuiltFolders.find(folder);
    auto node = folderNodes.find(folder);
    if (unbuilt == unbuiltFolders.end() || node == folderNodes.end())
        return;
    unbuiltFolders.erase(unbuilt);
    size_t budget = kEagerNodes;
    siteTree->Freeze();
    BuildContents(folder, node->second, budget);
    siteTree->Thaw();
}

void ShellyardSitesPanel::RevealFolder(long long folder)
{
    std::vector<long long> chain;
    std::unordered_set<long long> seen;
    for (const SiteFolder* at = catalog.FindFolder(folder); at && seen.insert(at->id).second;
         at = catalog.FindFolder(at->parent))
        chain.push_back(at->id);
    // From the top down: a folder's node is there once its parent's contents are.
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        BuildFolder(*it);
}

bool ShellyardSitesPanel::ContentsShown(long long folder) const
{
    return folder == 0 || (folderNodes.count(folder) > 0 && unbuiltFolders.count(folder) == 0);
}

wxTreeItemId ShellyardSitesPanel::AddSiteNode(wxTreeCtrl* tree, const wxTreeItemId& parent,
                                              const SiteCatalog::Site& site, size_t position)
{
    auto* data = new SiteTreeItemData("SiteItem", site.rowid, site.folder);
    wxTreeItemId node = position >= tree->GetChildrenCount(parent, false)
                            ? tree->AppendItem(parent, site.name, kSiteImage, kSiteImage, data)
                            : tree->InsertItem(parent, position, site.name, kSiteImage, kSiteImage, data);
    tree->SetItemHasChildren(node, true);
    return node;
}

wxTreeItemId ShellyardSitesPanel::AddFolderNode(wxTreeCtrl* tree, const wxTreeItemId& parent,
                                                const SiteFolder& folder, size_t position)
{
    auto* data = new SiteTreeItemData("FolderItem", 0, folder.id);
    wxTreeItemId node = position >= tree->GetChildrenCount(parent, false)
                            ? tree->AppendItem(parent, folder.name, kFolderImage, kFolderImage, data)
                            : tree->InsertItem(parent, position, folder.name, kFolderImage, kFolderImage, data);
    tree->SetItemImage(node, kOpenFolderImage, wxTreeItemIcon_Expanded);
    tree->SetItemImage(node, kOpenFolderImage, wxTreeItemIcon_SelectedExpanded);
    return node;
}

// The four detail lines of a site, made when the site is first opened: with thousands of sites,
// lines nobody looks at would cost most of the start.
void ShellyardSitesPanel::AddDetailLines(wxTreeCtrl* tree, const wxTreeItemId& node)
{
    const SiteCatalog::Site* site = catalog.FindSite(RowidOf(tree, node));
    if (!site)
        return;
    const wxString lines[] = {"Host:" + site->host, "Type:" + site->protocol, "Port:" + site->port,
                              site->keyLogin ? "Auto:Yes (key)" : site->hasUser ? "Auto:Yes" : "Auto:No"};
    if (tree->GetChildrenCount(node, false) == 4) {
        wxTreeItemIdValue cookie;
        wxTreeItemId line = tree->GetFirstChild(node, cookie);
        for (const wxString& text : lines) {
            tree->SetItemText(line, text);
            line = tree->GetNextChild(node, cookie);
        }
        return;
    }
    tree->DeleteChildren(node);
    for (const wxString& text : lines)
        tree->AppendItem(node, text, kDetailImage, kDetailImage);
}

void ShellyardSitesPanel::OnTreeItemExpanding(wxTreeEvent& event)
{
    auto* tree = static_cast<wxTreeCtrl*>(event.GetEventObject());
    SiteTreeItemData* data = DataOf(tree, event.GetItem());
    if (data && data->IsSite() && tree->GetChildrenCount(event.GetItem(), false) == 0)
        AddDetailLines(tree, event.GetItem());
    else if (data && data->IsFolder() && tree == siteTree)
        BuildFolder(data->GetFolder());
    event.Skip();
}

void ShellyardSitesPanel::OnTreeItemToolTip(wxTreeEvent& event)
{
    auto* tree = static_cast<wxTreeCtrl*>(event.GetEventObject());
    const SiteCatalog::Site* site = catalog.FindSite(RowidOf(tree, SiteNodeOf(tree, event.GetItem())));
    if (site && !site->note.empty())
        event.SetToolTip(site->note);
}

SiteTreeItemData* ShellyardSitesPanel::DataOf(wxTreeCtrl* tree, const wxTreeItemId& item) const
{
    return item.IsOk() ? dynamic_cast<SiteTreeItemData*>(tree->GetItemData(item)) : nullptr;
}

// A detail line stands for the site it belongs to: commands on it act on its parent, never on a
// site that happens to be named like the line.
wxTreeItemId ShellyardSitesPanel::SiteNodeOf(wxTreeCtrl* tree, const wxTreeItemId& item) const
{
    if (!item.IsOk())
        return wxTreeItemId();
    if (SiteTreeItemData* data = DataOf(tree, item))
        return data->IsSite() ? item : wxTreeItemId();
    wxTreeItemId parent = tree->GetItemParent(item);
    SiteTreeItemData* parentData = DataOf(tree, parent);
    return parentData && parentData->IsSite() ? parent : wxTreeItemId();
}

long long ShellyardSitesPanel::RowidOf(wxTreeCtrl* tree, const wxTreeItemId& item) const
{
    SiteTreeItemData* data = DataOf(tree, item);
    return data && data->IsSite() ? data->GetRowid() : 0;
}

wxTreeItemId ShellyardSitesPanel::FolderNode(long long folder) const
{
    auto found = folderNodes.find(folder);
    return folder == 0 || found == folderNodes.end() ? siteTree->GetRootItem() : found->second;
}

void ShellyardSitesPanel::RemoveSiteNode(long long rowid)
{
    auto found = siteNodes.find(rowid);
    if (found == siteNodes.end())
        return;
    if (menuTree == siteTree && menuItem.IsOk() && SiteNodeOf(siteTree, menuItem) == found->second)
        menuItem = wxTreeItemId();
    siteTree->Delete(found->second);
    siteNodes.erase(found);
}

void ShellyardSitesPanel::ShowSiteAnew(long long rowid)
{
    const SiteCatalog::Site* site = catalog.FindSite(rowid);
    auto node = siteNodes.find(rowid);
    if (!site || node == siteNodes.end())
        return;
    siteTree->SetItemText(node->second, site->name);
    if (siteTree->GetChildrenCount(node->second, false) > 0)
        AddDetailLines(siteTree, node->second);
}

void ShellyardSitesPanel::PlaceSite(long long rowid, bool select, bool expand)
{
    // A menu open on the site stays with it at its new place.
    auto old = siteNodes.find(rowid);
    const bool menuOnIt = old != siteNodes.end() && menuTree == siteTree && menuItem.IsOk() &&
                          SiteNodeOf(siteTree, menuItem) == old->second;
    RemoveSiteNode(rowid);
    const SiteCatalog::Site* site = catalog.FindSite(rowid);
    if (!site)
        return;
    // A site the user is to see has its folders made; in a folder not opened yet it comes with the
    // folder's contents (perhaps just now).
    if (select || expand || menuOnIt)
        RevealFolder(site->folder);
    if (!ContentsShown(site->folder))
        return;
    auto made = siteNodes.find(rowid);
    wxTreeItemId node = made != siteNodes.end()
                            ? made->second
                            : AddSiteNode(siteTree, FolderNode(site->folder), *site, catalog.SitePosition(rowid));
    siteNodes[rowid] = node;
    if (menuOnIt)
        menuItem = node;
    if (expand)
        siteTree->Expand(node);
    if (select) {
        siteTree->SelectItem(node);
        siteTree->EnsureVisible(node);
    }
}

void ShellyardSitesPanel::Changed()
{
    wxTreeItemId root = siteTree->GetRootItem();
    siteTree->SetItemHasChildren(root, siteTree->GetChildrenCount(root, false) > 0);
    if (!siteTree->IsExpanded(root) && siteTree->ItemHasChildren(root))
        siteTree->Expand(root);
    if (!findText->GetValue().empty())
        ShowMatches();
}

// ---- Menus ---------------------------------------------------------------------------------------

void ShellyardSitesPanel::OnTreeItemActivated(wxTreeEvent& event)
{
    auto* tree = static_cast<wxTreeCtrl*>(event.GetEventObject());
    long long rowid = RowidOf(tree, SiteNodeOf(tree, event.GetItem()));
    if (!rowid)
        return;  // the root, a folder (it opens by itself), an empty spot
    std::optional<SiteRecord> site = ReadSite(rowid);
    if (!site)
        return;
    wxString question = wxString::Format(_("Are you sure to connect %s - %s now?"), site->hostname, site->hostip);
    if (wxMessageBox(question, "Shellyard", wxYES_NO, frame) == wxYES)
        frame->ConnectSite(*site);
}

void ShellyardSitesPanel::OnTreeItemRightClick(wxTreeEvent& event)
{
    auto* tree = static_cast<wxTreeCtrl*>(event.GetEventObject());
    // The tree reports the click in its own coordinates. A menu asked for from the keyboard has no
    // point and opens at the centre of the main window.
    wxPoint point = event.GetPoint();
    if (point == wxPoint(-1, -1))
        point = ScreenToClient(frame->ClientToScreen(wxPoint(frame->GetSize().GetWidth() / 2,
                                                             frame->GetSize().GetHeight() / 2)));
    else
        point = ScreenToClient(tree->ClientToScreen(point));

    menuTree = tree;
    menuSite = SiteRecord();
    menuFolder = 0;
    wxTreeItemId site = SiteNodeOf(tree, event.GetItem());
    SiteTreeItemData* data = DataOf(tree, event.GetItem());
    if (site.IsOk()) {
        menuItem = site;
        std::optional<SiteRecord> stored = ReadSite(RowidOf(tree, site));
        if (!stored)
            return;
        menuSite = *stored;
        ShowMenu(MenuKind::Site, point);
        event.Skip();
    } else if (data && data->IsFolder()) {
        menuItem = event.GetItem();
        menuFolder = data->GetFolder();
        ShowMenu(MenuKind::Folder, point);
    } else {
        menuItem = tree->GetRootItem();
        ShowMenu(MenuKind::Root, point);
    }
}

void ShellyardSitesPanel::OnTreeKey(wxKeyEvent& event)
{
    // This tree reports a right click for the mouse only. The context-menu key and Shift+F10 ask
    // for the same menu without a point, so that it opens at the centre of the main window.
    auto* tree = static_cast<wxTreeCtrl*>(event.GetEventObject());
    bool menuKey = event.GetKeyCode() == WXK_MENU ||
                   (event.GetKeyCode() == WXK_F10 && event.GetModifiers() == wxMOD_SHIFT);
    wxTreeItemId item = tree->GetFocusedItem();
    if (!menuKey || !item.IsOk()) {
        event.Skip();
        return;
    }
    wxTreeEvent request(wxEVT_TREE_ITEM_RIGHT_CLICK, tree, item);
    request.SetPoint(wxPoint(-1, -1));
    tree->GetEventHandler()->ProcessEvent(request);
}

void ShellyardSitesPanel::ShowMenu(MenuKind kind, const wxPoint& point)
{
    wxMenu menu;
    switch (kind) {
    case MenuKind::Root:
        menu.Append(ID_SITES_CONNECT_ALL, _("Connect all sites"), wxEmptyString);
        menu.Append(ID_SITES_DELETE_ALL, _("Delete all sites"), wxEmptyString);
        menu.AppendSeparator();
        menu.Append(ID_FOLDER_NEW, wxGetTranslation(wxString::FromUTF8("New folder…")), wxEmptyString);
        break;
    case MenuKind::Folder:
        menu.Append(ID_SITES_CONNECT_ALL, _("Connect all sites"), wxEmptyString);
        menu.AppendSeparator();
        menu.Append(ID_FOLDER_NEW, wxGetTranslation(wxString::FromUTF8("New folder…")), wxEmptyString);
        menu.Append(ID_FOLDER_RENAME, wxGetTranslation(wxString::FromUTF8("Rename folder…")), wxEmptyString);
        menu.Append(ID_FOLDER_DELETE, _("Delete folder"), wxEmptyString);
        break;
    case MenuKind::Site:
        menu.Append(ID_SITE_CONNECT, _("Connect this site"), wxEmptyString);
        menu.Append(ID_SITE_DELETE, _("Delete this site"), wxEmptyString);
        menu.Append(ID_SITE_MODIFY, _("Modify this site"), wxEmptyString);
        menu.Append(ID_SITE_DUPLICATE, _("Duplicate this site"), wxEmptyString);
        menu.Append(ID_SITE_MOVE, wxGetTranslation(wxString::FromUTF8("Move to folder…")), wxEmptyString);
        menu.AppendSeparator();
        menu.Append(ID_SITE_MONITOR, _("Monitor this site"), wxEmptyString);
        break;
    }
    PopupMenu(&menu, point);
}

void ShellyardSitesPanel::OnSiteMenu(wxCommandEvent& event)
{
    // A command is for the node the last menu was opened on; once that node has gone (its site
    // deleted, say) the command does nothing.
    if (!menuTree || !menuItem.IsOk())
        return;
    const bool onSite = SiteNodeOf(menuTree, menuItem).IsOk();
    SiteTreeItemData* data = DataOf(menuTree, menuItem);
    const long long folder = data && data->IsFolder() ? data->GetFolder() : 0;
    switch (event.GetId()) {
    case ID_SITE_CONNECT:
        if (onSite)
            ConnectChosen();
        break;
    case ID_SITE_DELETE:
        if (onSite)
            DeleteChosen();
        break;
    case ID_SITE_MODIFY:
        if (onSite)
            ModifyChosen();
        break;
    case ID_SITE_DUPLICATE:
        if (onSite)
            DuplicateChosen();
        break;
    case ID_SITE_MOVE:
        if (onSite)
            MoveChosen();
        break;
    case ID_SITE_MONITOR:
        if (onSite)
            MonitorChosen();
        break;
    case ID_SITES_CONNECT_ALL:
        if (!onSite)
            ConnectAllIn(folder);
        break;
    case ID_SITES_DELETE_ALL:
        if (!onSite && !folder)
            DeleteAllSites();
        break;
    case ID_FOLDER_NEW:
        if (!onSite)
            NewFolderIn(folder);
        break;
    case ID_FOLDER_RENAME:
        if (folder)
            RenameFolder(folder);
        break;
    case ID_FOLDER_DELETE:
        if (folder)
            DeleteFolder(folder);
        break;
    }
}

// ---- Reading and telling -----------------------------------------------------------------------
