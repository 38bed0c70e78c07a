// Folders of the sites pane: making, renaming and deleting them, moving sites and folders by menu
// and by drag and drop.
#include "app/ShellyardSitesPanel.h"

#include "app/ShellyardFrame.h"
#include "app/SiteTreeItemData.h"
#include "dialogs/ImportPreviewDialog.h"
#include "session/PuttySessions.h"
#include "storage/SiteStore.h"
#include "storage/import/PuttySessionReader.h"
#include "storage/import/SshConfigReader.h"

#include <set>
#include <wx/log.h>
#include <wx/utils.h>

#include <wx/choicdlg.h>
#include <wx/msgdlg.h>
#include <wx/textdlg.h>

wxString ShellyardSitesPanel::FolderTitle(long long folder) const
{
    return folder == 0 ? _("Sites List") : catalog.PathOf(folder);
}

std::optional<wxString> ShellyardSitesPanel::AskFolderName(const wxString& question, long long parent,
                                                           const wxString& start, long long except)
{
    wxString name = start;
    for (;;) {
        wxTextEntryDialog dialog(frame, question, "Shellyard", name);
        if (dialog.ShowModal() != wxID_OK)
            return std::nullopt;
        name = dialog.GetValue();
        wxString refusal;
        if (name.empty())
            refusal = _("A folder needs a name.");
        else if (catalog.NameTaken(parent, name, except))
            refusal = wxString::Format(_("There is already a folder named %s in %s."), name, FolderTitle(parent));
        if (refusal.empty())
            return name;
        // The question comes back with what was typed, to be corrected.
        wxMessageBox(refusal, "Shellyard", wxOK | wxICON_WARNING, frame);
    }
}

void ShellyardSitesPanel::NewFolderIn(long long parent)
{
    std::optional<wxString> name =
        AskFolderName(wxString::Format(_("Name of the new folder in %s:"), FolderTitle(parent)), parent, wxString());
    if (!name || !store)
        return;
    long long id = store->AddFolder(parent, *name);
    if (id <= 0) {
        TellFailure(wxString::Format(_("The folder %s could not be made"), *name));
        return;
    }
    catalog.PutFolder(SiteFolder{id, parent, *name});
    PlaceFolder(id);
    wxTreeItemId node = FolderNode(id);
    siteTree->EnsureVisible(node);
    siteTree->SelectItem(node);
    Changed();
}

void ShellyardSitesPanel::RenameFolder(long long id)
{
    const SiteFolder* folder = catalog.FindFolder(id);
    if (!folder || !store)
        return;
    const SiteFolder was = *folder;
    std::optional<wxString> name =
        AskFolderName(wxString::Format(_("New name of the folder %s:"), was.name), was.parent, was.name, id);
    if (!name || *name == was.name)
        return;
    if (store->RenameFolder(id, *name) <= 0) {
        TellFailure(wxString::Format(_("The folder %s could not be renamed"), was.name));
        return;
    }
    catalog.PutFolder(SiteFolder{id, was.parent, *name});
    PlaceFolder(id);
    Changed();
}

void ShellyardSitesPanel::DeleteFolder(long long id)
{
    const SiteFolder* folder = catalog.FindFolder(id);
    if (!folder || !store)
        return;
    const SiteFolder was = *folder;
    wxString question = wxString::Format(_("Delete the folder %s? Its sites and folders move to %s; no site is "
                                           "deleted."),
                                         was.name, FolderTitle(was.parent));
    if (wxMessageBox(question, "Shellyard", wxYES_NO, frame) != wxYES)
        return;
    if (store->DeleteFolder(id) <= 0) {
        TellFailure(wxString::Format(_("The folder %s could not be deleted"), was.name));
        return;
    }
    std::vector<long long> folders = catalog.FoldersIn(id);
    std::vector<long long> sites = catalog.SitesIn(id);
    std::vector<long long> opened;
    for (long long inner : folders) {
        auto node = folderNodes.find(inner);
        if (node != folderNodes.end() && siteTree->IsExpanded(node->second))
            opened.push_back(inner);
    }
    catalog.RemoveFolder(id);
    siteTree->Freeze();
    // The folder's node goes first, so that what was inside comes up one level each at its place
    // among the nodes that stay there; opened folders stay open.
    RemoveFolderNode(id);
    for (long long inner : folders)
        PlaceFolder(inner);
    for (long long rowid : sites)
        PlaceSite(rowid);
    for (long long inner : opened) {
        BuildFolder(inner);
        siteTree->Expand(FolderNode(inner));
    }
    siteTree->Thaw();
    menuItem = wxTreeItemId();
    Changed();
}

// The folder's node and everything below it are made anew at the folder's place in its parent
// (whose contents are made first when they were not yet).
void ShellyardSitesPanel::PlaceFolder(long long id)
{
    const SiteFolder* folder = catalog.FindFolder(id);
    if (!folder)
        return;
    bool wasExpanded = false;
    auto known = folderNodes.find(id);
    if (known != folderNodes.end()) {
        wasExpanded = siteTree->IsExpanded(known->second);
        RemoveFolderNode(id);
    }
    RevealFolder(folder->parent);
    auto made = folderNodes.find(id);  // made with its parent's contents just now
    wxTreeItemId node;
    if (made != folderNodes.end()) {
        node = made->second;
    } else {
        node = AddFolderNode(siteTree, FolderNode(folder->parent), *folder, catalog.FolderPosition(id));
        folderNodes[id] = node;
        size_t budget = kEagerNodes;
        BuildContents(id, node, budget);
    }
    if (wasExpanded) {
        BuildFolder(id);
        siteTree->Expand(node);
    }
}

// The folder's node goes with everything below it (their maps forget them first).
void ShellyardSitesPanel::RemoveFolderNode(long long id)
{
    auto known = folderNodes.find(id);
    if (known == folderNodes.end())
        return;
    wxTreeItemId node = known->second;
    std::vector<wxTreeItemId> below{node};
    for (size_t i = 0; i < below.size(); ++i) {
        wxTreeItemIdValue cookie;
        for (wxTreeItemId child = siteTree->GetFirstChild(below[i], cookie); child.IsOk();
             child = siteTree->GetNextChild(below[i], cookie)) {
            SiteTreeItemData* data = DataOf(siteTree, child);
            if (!data)
                continue;
            if (data->IsSite())
                siteNodes.erase(data->GetRowid());
            else if (data->IsFolder()) {
                folderNodes.erase(data->GetFolder());
                unbuiltFolders.erase(data->GetFolder());
                below.push_back(child);
            }
        }
    }
    folderNodes.erase(id);
    unbuiltFolders.erase(id);
    if (menuTree == siteTree && menuItem.IsOk()) {
        for (wxTreeItemId at = menuItem; at.IsOk(); at = siteTree->GetItemParent(at)) {
            if (at == node) {
                menuItem = wxTreeItemId();
                break;
            }
        }
    }
    siteTree->Delete(node);
}

void ShellyardSitesPanel::MoveChosen()
{
    // The top level, then every folder by its path, in tree order.
    std::vector<long long> targets{0};
    for (size_t i = 0; i < targets.size(); ++i) {
        std::vector<long long> inner = catalog.FoldersIn(targets[i]);
        targets.insert(targets.begin() + static_cast<long>(i) + 1, inner.begin(), inner.end());
    }
    wxArrayString choices;
    int current = 0;
    for (size_t i = 0; i < targets.size(); ++i) {
        choices.Add(targets[i] == 0 ? _("Sites List") : _("Sites List") + " / " + catalog.PathOf(targets[i]));
        if (targets[i] == menuSite.folder)
            current = static_cast<int>(i);
    }
    wxSingleChoiceDialog dialog(frame, wxString::Format(_("Move %s to:"), menuSite.hostname), "Shellyard", choices);
    dialog.SetSelection(current);
    if (dialog.ShowModal() != wxID_OK)
        return;
    MoveSiteTo(menuSite.rowid, targets[static_cast<size_t>(dialog.GetSelection())]);
}

bool ShellyardSitesPanel::MoveSiteTo(long long rowid, long long folder)
{
    const SiteCatalog::Site* site = catalog.FindSite(rowid);
    if (!site || !store)
        return false;
    if (site->folder == folder)
        return true;
    const wxString name = site->name;
    if (store->MoveSite(rowid, folder) <= 0) {
        const bool gone = store->LastFailure() == SiteStore::Failure::Gone;
        TellFailure(wxString::Format(_("The site %s could not be moved"), name));
        if (gone) {
            catalog.RemoveSite(rowid);
            RemoveSiteNode(rowid);
            Changed();
        }
        return false;
    }
    if (menuSite.rowid == rowid)
        menuSite.folder = folder;
    catalog.MoveSite(rowid, folder);
    PlaceSite(rowid, true);
    Changed();
    return true;
}

bool ShellyardSitesPanel::MoveFolderTo(long long id, long long parent)
{
    const SiteFolder* folder = catalog.FindFolder(id);
    if (!folder || !store || folder->parent == parent || catalog.IsInside(parent, id))
        return false;
    const SiteFolder was = *folder;
    if (catalog.NameTaken(parent, was.name, id)) {
        wxMessageBox(wxString::Format(_("There is already a folder named %s in %s."), was.name, FolderTitle(parent)),
                     "Shellyard", wxOK | wxICON_WARNING, frame);
        return false;
    }
    if (store->MoveFolder(id, parent) <= 0) {
        TellFailure(wxString::Format(_("The folder %s could not be moved"), was.name));
        return false;
    }
    catalog.PutFolder(SiteFolder{id, parent, was.name});
    PlaceFolder(id);
    Changed();
    return true;
}

void ShellyardSitesPanel::OnTreeBeginDrag(wxTreeEvent& event)
{
    auto* tree = static_cast<wxTreeCtrl*>(event.GetEventObject());
    wxTreeItemId item = SiteNodeOf(tree, event.GetItem());
    SiteTreeItemData* data = DataOf(tree, event.GetItem());
    if (!item.IsOk() && data && data->IsFolder())
        item = event.GetItem();
    if (!item.IsOk())
        return;  // the root and the Find summary stay where they are
    dragTree = tree;
    dragItem = item;
    event.Allow();
}

// Dropped on a folder: into it; on a site or its detail line: beside it, into its folder; on the
// root or an empty spot: to the top level. A folder never goes into itself.
void ShellyardSitesPanel::OnTreeEndDrag(wxTreeEvent& event)
{
    auto* tree = static_cast<wxTreeCtrl*>(event.GetEventObject());
    if (!dragItem.IsOk() || tree != dragTree)
        return;
    SiteTreeItemData* dragged = DataOf(tree, dragItem);
    dragItem = wxTreeItemId();
    if (!dragged)
        return;
    long long target = 0;
    wxTreeItemId site = SiteNodeOf(tree, event.GetItem());
    SiteTreeItemData* onto = DataOf(tree, site.IsOk() ? site : event.GetItem());
    if (onto && onto->IsFolder())
        target = onto->GetFolder();
    else if (onto && onto->IsSite()) {
        const SiteCatalog::Site* neighbour = catalog.FindSite(onto->GetRowid());
        target = neighbour ? neighbour->folder : 0;
    }
    // Moving remakes nodes: it waits until the tree is done with its drag.
    const long long rowid = dragged->IsSite() ? dragged->GetRowid() : 0;
    const long long folder = dragged->IsFolder() ? dragged->GetFolder() : 0;
    CallAfter([this, rowid, folder, target] {
        if (rowid)
            MoveSiteTo(rowid, target);
        else if (folder)
            MoveFolderTo(folder, target);
    });
}

namespace {
// Text of another program's file: UTF-8 where it is, else read byte for byte as Latin-1, so that
// nothing is lost or dropped.
wxString SourceText(const std::string& text)
{
    wxString converted = wxString::FromUTF8(text.c_str(), text.size());
    if (converted.empty() && !text.empty())
        converted = wxString(text.c_str(), wxConvISO8859_1, text.size());
    return converted;
}
}  // namespace

void ShellyardSitesPanel::ImportSites()
{
    const wxString sources[] = {_("OpenSSH client configuration (~/.ssh/config)"), _("PuTTY's saved sessions")};
    wxSingleChoiceDialog choose(frame, _("Import sites from:"), "Shellyard", 2, sources);
    if (choose.ShowModal() != wxID_OK)
        return;
    const std::string home = std::string(wxGetHomeDir().utf8_str());
    if (choose.GetSelection() == 0) {
        SshConfigReader reader(home);
        ImportSitesFrom(reader.ReadFile(home + "/.ssh/config"), "ssh config");
    } else {
        ImportSitesFrom(PuttySessionReader::ReadFolder(PuttySessions::Folder()), "PuTTY sessions");
    }
}

void ShellyardSitesPanel::ImportSitesFrom(const ImportedSites& found, const wxString& sourceName)
{
    if (!store)
        return;
    // What is stored already, by name, host, port and user.
    std::set<std::vector<wxString>> stored;
    if (std::unique_ptr<SiteList> sites = store->ListSites()) {
        for (size_t i = 0; i < sites->GetCount(); ++i) {
            const SiteRecord& site = sites->Item(i);
            stored.insert({site.hostname, site.hostip, site.hostport, site.hostuser});
        }
    }
    std::vector<ImportPreviewDialog::Row> rows;
    std::vector<SiteRecord> records;
    int needOwnSettings = 0;
    for (const ImportedSite& site : found.sites) {
        SiteRecord record;
        record.hostname = SourceText(site.name);
        record.hostip = SourceText(site.host);
        record.hostport = SourceText(site.port);
        record.hosttype = SourceText(site.protocol);
        record.hostuser = SourceText(site.user);
        record.keyfile = SourceText(site.keyFile);
        record.puttysession = SourceText(site.session);
        ImportPreviewDialog::Row row;
        row.name = record.hostname;
        row.host = record.hostip;
        row.port = record.hostport;
        row.user = record.hostuser;
        row.keyFile = record.keyfile;
        row.stored = stored.count({record.hostname, record.hostip, record.hostport, record.hostuser}) > 0;
        // The same site twice in the source counts as stored from its second time on.
        stored.insert({record.hostname, record.hostip, record.hostport, record.hostuser});
        row.checked = !row.stored;
        if (row.stored)
            row.note = _("already stored");
        else if (site.needsOwnSettings)
            row.note = _("needs its own PuTTY settings");
        needOwnSettings += site.needsOwnSettings ? 1 : 0;
        rows.push_back(row);
        records.push_back(record);
    }
    ImportPreviewDialog preview(frame, wxString::Format(_("Import from %s"), sourceName), rows);
    if (preview.ShowModal() != wxID_OK)
        return;
    std::vector<SiteRecord> chosen;
    int skipped = found.skipped;
    for (size_t i = 0; i < records.size(); ++i) {
        if (preview.Rows()[i].checked)
            chosen.push_back(records[i]);
        else
            ++skipped;
    }
    int added = 0;
    if (!chosen.empty()) {
        wxString folderName = sourceName;
        for (int n = 2; catalog.NameTaken(0, folderName); ++n)
            folderName = wxString::Format("%s (%d)", sourceName, n);
        const long long folder = store->ImportSites(folderName, chosen);
        if (folder <= 0) {
            TellFailure(_("The sites could not be imported"));
            return;
        }
        SiteFolder made;
        made.id = folder;
        made.name = folderName;
        catalog.PutFolder(made);
        for (const SiteRecord& site : chosen)
            catalog.PutSite(site);
        PlaceFolder(folder);
        Changed();
        added = static_cast<int>(chosen.size());
    }
    wxLogMessage("Imported %d sites from %s; %d skipped, %d unreadable", added, sourceName, skipped, found.unreadable);
    wxString summary = wxString::Format(_("%d sites added, %d skipped, %d unreadable."), added, skipped,
                                        found.unreadable);
    if (needOwnSettings > 0)
        summary += "\n" + wxString::Format(_("%d sites reach their host through a ProxyCommand, ProxyJump or "
                                             "LocalCommand, which Shellyard never runs: give them PuTTY settings "
                                             "of their own."),
                                           needOwnSettings);
    wxMessageBox(summary, "Shellyard", wxOK | wxICON_INFORMATION, frame);
}
