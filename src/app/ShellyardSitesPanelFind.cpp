// Find in the sites pane. While the field holds text, a tree of its own takes the site tree's
// place: only the sites whose name, host or note holds the text, in any case, with their folders
// opened. The site tree stays as it was (folders opened, selection) and comes back when the field
// is emptied. A tree lays out every row it shows, about 12 microseconds each here, so at most
// kFindLimit sites are shown and a last line tells how many more match: each keystroke then takes
// a few milliseconds with any number of sites.
#include "app/ShellyardSitesPanel.h"

#include "app/ShellyardFrame.h"
#include "app/SiteTreeItemData.h"

#include <map>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

namespace {
const size_t kFindLimit = 500;
enum { kSiteImage = 2, kDetailImage = 6 };
}  // namespace

void ShellyardSitesPanel::OnFindText(wxCommandEvent& event)
{
    ShowMatches();
}

void ShellyardSitesPanel::ShowMatches()
{
    const wxString text = findText->GetValue();
    const bool finding = !text.empty();
    if (!finding) {
        if (findTree->IsShown()) {
            findTree->Hide();
            siteTree->Show();
            Layout();
        }
        findTree->DeleteChildren(findTree->GetRootItem());
        return;
    }

    SiteCatalog::Matches matches = catalog.Match(text, kFindLimit);
    // A menu open on a match stays with it in the new list.
    long long menuRowid = 0, menuFolderId = 0;
    if (menuTree == findTree && menuItem.IsOk()) {
        menuRowid = RowidOf(findTree, SiteNodeOf(findTree, menuItem));
        SiteTreeItemData* data = DataOf(findTree, menuItem);
        menuFolderId = data && data->IsFolder() ? data->GetFolder() : 0;
        menuItem = wxTreeItemId();
    }
    findTree->Freeze();
    wxTreeItemId root = findTree->GetRootItem();
    findTree->DeleteChildren(root);
    // Each match comes with the folders it lies in, made the first time one of their sites
    // matches; matches arrive in tree order, so appending keeps that order.
    std::map<long long, wxTreeItemId> folders{{0, root}};
    std::function<wxTreeItemId(long long)> folderNode = [&](long long id) -> wxTreeItemId {
        auto known = folders.find(id);
        if (known != folders.end())
            return known->second;
        const SiteFolder* folder = catalog.FindFolder(id);
        if (!folder)
            return root;
        wxTreeItemId parent = folderNode(folder->parent);
        wxTreeItemId node = AddFolderNode(findTree, parent, *folder, findTree->GetChildrenCount(parent, false));
        folders[id] = node;
        return node;
    };
    for (long long rowid : matches.shown) {
        const SiteCatalog::Site* site = catalog.FindSite(rowid);
        wxTreeItemId parent = folderNode(site->folder);
        wxTreeItemId node = AddSiteNode(findTree, parent, *site, findTree->GetChildrenCount(parent, false));
        if (rowid == menuRowid)
            menuItem = node;
    }
    if (menuFolderId && folders.count(menuFolderId))
        menuItem = folders[menuFolderId];
    if (matches.total > matches.shown.size()) {
        findTree->AppendItem(root,
                             wxString::Format(_("%d more sites match: type more to narrow the list"),
                                              int(matches.total - matches.shown.size())),
                             kDetailImage, kDetailImage);
    }
    findTree->SetItemHasChildren(root, findTree->GetChildrenCount(root, false) > 0);
    findTree->Expand(root);
    for (const auto& folder : folders) {
        if (folder.first != 0)
            findTree->Expand(folder.second);
    }
    findTree->Thaw();
    if (!findTree->IsShown()) {
        siteTree->Hide();
        findTree->Show();
        Layout();
    }
}

// The first site that Find shows, in tree order (invalid when none matches).
wxTreeItemId ShellyardSitesPanel::FirstMatch() const
{
    std::vector<wxTreeItemId> pending{findTree->GetRootItem()};
    while (!pending.empty()) {
        wxTreeItemId node = pending.front();
        pending.erase(pending.begin());
        std::vector<wxTreeItemId> children;
        wxTreeItemIdValue cookie;
        for (wxTreeItemId child = findTree->GetFirstChild(node, cookie); child.IsOk();
             child = findTree->GetNextChild(node, cookie)) {
            SiteTreeItemData* data = DataOf(findTree, child);
            if (data && data->IsSite())
                return child;
            if (data && data->IsFolder())
                children.push_back(child);
        }
        // Depth first, as the tree shows them: a folder's sites come before the next folder's.
        pending.insert(pending.begin(), children.begin(), children.end());
    }
    return wxTreeItemId();
}

void ShellyardSitesPanel::OnFindEnter(wxCommandEvent& event)
{
    // Enter connects the first match after the usual question.
    wxTreeItemId first = findText->GetValue().empty() ? wxTreeItemId() : FirstMatch();
    if (!first.IsOk())
        return;
    wxTreeEvent activate(wxEVT_TREE_ITEM_ACTIVATED, findTree, first);
    findTree->GetEventHandler()->ProcessEvent(activate);
}

void ShellyardSitesPanel::OnFindKey(wxKeyEvent& event)
{
    switch (event.GetKeyCode()) {
    case WXK_ESCAPE:
        findText->Clear();  // sends the text event, which brings the site tree back
        return;
    case WXK_DOWN: {
        // Into the tree that is shown, at its first site.
        wxTreeCtrl* tree = findTree->IsShown() ? findTree : siteTree;
        wxTreeItemId first = tree == findTree ? FirstMatch() : wxTreeItemId();
        if (!first.IsOk()) {
            wxTreeItemIdValue cookie;
            first = tree->GetFirstChild(tree->GetRootItem(), cookie);
        }
        tree->SetFocus();
        if (first.IsOk()) {
            tree->SelectItem(first);
            tree->SetFocusedItem(first);
        }
        return;
    }
    default:
        event.Skip();
    }
}
