#pragma once
// The sites pane: the tree of stored sites in their folders, its context menus and the site
// commands, and Find. Every node carries what identifies it (a site's rowid, a folder's id);
// commands read the site afresh from the store by its rowid and hand the record on by value: to
// the main window to connect or monitor it, to the site editor to change it. What the store could
// not store is never shown: the tree changes only after the store has. The main window owns the
// store (the pane borrows it) and the notebook.
#include "app/SiteCatalog.h"
#include "app/SitesPanel.h"
#include "storage/import/ImportedSites.h"
#include "storage/SiteRecord.h"

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

class ShellyardFrame;
class SiteStore;
class SiteTreeItemData;

class ShellyardSitesPanel : public SitesPanel {
public:
    ShellyardSitesPanel(ShellyardFrame* frame, SiteStore* store);
    ~ShellyardSitesPanel() override;

    // The store goes (the program ends): nothing is read or written any more.
    void ForgetStore() { store = nullptr; }
    // Fills the tree from the store: folders, then every site (no list at all counts as empty).
    void Fill();
    // The site editor for a new site, stored at the top level when the user confirms; the stored
    // site, or nothing when the editor was cancelled.
    std::optional<SiteRecord> AddNewSite();
    // File > "Import Sites...": asks for the source (the OpenSSH client configuration or PuTTY's
    // saved sessions), shows what it holds with check boxes, stores the chosen sites in a new
    // folder named after the source in one transaction, and tells how many were added, skipped
    // and unreadable.
    void ImportSites();
    // The same from a source already read (sourceName names the folder); the preview is shown.
    void ImportSitesFrom(const ImportedSites& found, const wxString& sourceName);
    // Handles a command of the tree's context menus (identifiers 4498 to 4508).
    void OnSiteMenu(wxCommandEvent& event);
    // Puts the keyboard focus into the Find field.
    void FocusFind();

private:
    friend struct FrameProbe;  // read access for the GUI tests

    enum class MenuKind { Root, Folder, Site };

    // Tree events (both trees).
    void OnTreeItemActivated(wxTreeEvent& event) override;
    void OnTreeItemRightClick(wxTreeEvent& event) override;
    void OnTreeItemExpanding(wxTreeEvent& event) override;
    void OnTreeItemToolTip(wxTreeEvent& event) override;
    void OnTreeBeginDrag(wxTreeEvent& event) override;
    void OnTreeEndDrag(wxTreeEvent& event) override;
    void OnTreeKey(wxKeyEvent& event) override;
    // Find.
    void OnFindText(wxCommandEvent& event) override;
    void OnFindEnter(wxCommandEvent& event) override;
    void OnFindKey(wxKeyEvent& event) override;
    void OnFrameKey(wxKeyEvent& event);

    // Nodes.
    SiteTreeItemData* DataOf(wxTreeCtrl* tree, const wxTreeItemId& item) const;
    // The site node a site node or one of its detail lines stands for (invalid for anything else).
    wxTreeItemId SiteNodeOf(wxTreeCtrl* tree, const wxTreeItemId& item) const;
    long long RowidOf(wxTreeCtrl* tree, const wxTreeItemId& item) const;  // 0: no site
    void AddDetailLines(wxTreeCtrl* tree, const wxTreeItemId& node);
    wxTreeItemId AddSiteNode(wxTreeCtrl* tree, const wxTreeItemId& parent, const SiteCatalog::Site& site,
                             size_t position);
    wxTreeItemId AddFolderNode(wxTreeCtrl* tree, const wxTreeItemId& parent, const SiteFolder& folder,
                               size_t position);
    // The site tree's node of a folder (the root for 0).
    wxTreeItemId FolderNode(long long folder) const;
    // Folders get their contents while the tree holds fewer new nodes than this; the others when
    // they are first opened. Small stores are thus built whole.
    static constexpr size_t kEagerNodes = 2000;
    // Builds the folder's folders and sites under node, as the catalog has them, and the contents
    // of those folders while budget (nodes) lasts; the others are left to be made later.
    void BuildContents(long long folder, const wxTreeItemId& node, size_t& budget);
    // Makes the contents of a folder left to be made later (nothing for any other).
    void BuildFolder(long long folder);
    // Makes the contents of the folder and of every folder above it, so that what is placed in it
    // can be shown.
    void RevealFolder(long long folder);
    // Whether the folder's contents are in the site tree (always for the top level, 0).
    bool ContentsShown(long long folder) const;
    // The site tree shows a site or folder anew where the catalog has it now.
    void PlaceSite(long long rowid, bool select = false, bool expand = false);
    // The site's node shows its name and detail lines as the catalog has them now.
    void ShowSiteAnew(long long rowid);
    void PlaceFolder(long long id);
    void RemoveSiteNode(long long rowid);
    void RemoveFolderNode(long long id);
    // After a change: the site tree's root shows whether it has children; Find shows its matches
    // anew.
    void Changed();

    // Site commands. Each reads the site from the store; one that is gone leaves the tree.
    std::optional<SiteRecord> ReadSite(long long rowid);
    void ConnectChosen();
    void MonitorChosen();
    void DeleteChosen();
    void ModifyChosen();
    void DuplicateChosen();
    void MoveChosen();
    void DeleteAllSites();
    void ConnectAllIn(long long folder);
    // Folder commands.
    void NewFolderIn(long long parent);
    void RenameFolder(long long id);
    void DeleteFolder(long long id);
    // Asks for a folder name until one is given that is free in parent (nothing when cancelled).
    std::optional<wxString> AskFolderName(const wxString& question, long long parent, const wxString& start,
                                          long long except = 0);
    bool MoveSiteTo(long long rowid, long long folder);
    bool MoveFolderTo(long long id, long long parent);
    // Stores a site typed into the editor as a new row (its rowid set); false when it could not be
    // stored (the user is told why).
    bool StoreNewSite(SiteRecord& site);
    // The editor for a site; saver stores it. The confirmed site, or nothing.
    std::optional<SiteRecord> Edit(const SiteRecord& site, const wxString& title,
                                   const std::function<bool(SiteRecord&)>& saver);

    // Says what failed and why (head: "The site x could not be saved"); nothing when the store has
    // said it itself.
    void TellFailure(const wxString& head, bool writing = true);
    wxString FolderTitle(long long folder) const;  // "Sites List" or the folder's path
    void ShowMenu(MenuKind kind, const wxPoint& point);

    // Find: the matches of the Find field in findTree, at most kFindLimit sites of them.
    void ShowMatches();
    wxTreeItemId FirstMatch() const;

    ShellyardFrame* frame;
    SiteStore* store;
    SiteCatalog catalog;
    std::unordered_map<long long, wxTreeItemId> siteNodes;    // in siteTree, by rowid
    std::unordered_map<long long, wxTreeItemId> folderNodes;  // in siteTree, by folder id
    std::unordered_set<long long> unbuiltFolders;             // shown, their contents not made yet

    // What the last context menu was opened on: its tree and node, and for a site node the site as
    // read then.
    wxTreeCtrl* menuTree = nullptr;
    wxTreeItemId menuItem;
    SiteRecord menuSite;
    long long menuFolder = 0;

    wxTreeCtrl* dragTree = nullptr;
    wxTreeItemId dragItem;
};
