// The site commands of the sites pane: connect, monitor, delete, modify, duplicate, delete all,
// the new-site flow, and telling the user when the sites file fails.
#include "app/ShellyardSitesPanel.h"

#include "app/ShellyardFrame.h"
#include "dialogs/ShellyardNewSiteDialog.h"
#include "storage/SiteStore.h"

#include <wx/log.h>
#include <wx/msgdlg.h>

void ShellyardSitesPanel::TellFailure(const wxString& head, bool writing)
{
    if (!store)
        return;
    wxString reason;
    switch (store->LastFailure()) {
    case SiteStore::Failure::Incorrect:
        return;  // the store has shown its own message
    case SiteStore::Failure::Busy:
        reason = writing ? _("the database is busy (another program is using it). Nothing was changed; try again.")
                         : _("the database is busy (another program is using it); try again later.");
        break;
    case SiteStore::Failure::ReadOnly:
        reason = _("the database cannot be written (it is read-only). Nothing was changed.");
        break;
    case SiteStore::Failure::Full:
        reason = _("the disk is full. Nothing was changed; free some space and try again.");
        break;
    case SiteStore::Failure::Gone:
        reason = _("it is no longer in the database (another program may have deleted it).");
        break;
    default:
        reason = writing ? wxString::Format(_("the database refused it (%s). Nothing was changed."), store->LastError())
                         : wxString::Format(_("the database could not be read (%s)."), store->LastError());
        break;
    }
    wxLogMessage("%s: %s", head, store->LastError());
    wxMessageBox(head + ": " + reason, "Shellyard", wxOK | wxICON_ERROR, frame);
}

std::optional<SiteRecord> ShellyardSitesPanel::ReadSite(long long rowid)
{
    const SiteCatalog::Site* known = catalog.FindSite(rowid);
    const wxString name = known ? known->name : wxString();
    std::unique_ptr<SiteRecord> stored = store ? store->FindSiteByRowid(rowid) : nullptr;
    if (!stored) {
        TellFailure(wxString::Format(_("The site %s could not be read"), name), false);
        return std::nullopt;
    }
    // The tree follows what another program did, once the event that asked is done with its node.
    if (stored->rowid == 0) {
        wxMessageBox(wxString::Format(_("The site %s is no longer in the database (another program may have "
                                        "deleted it)."),
                                      name),
                     "Shellyard", wxOK | wxICON_INFORMATION, frame);
        catalog.RemoveSite(rowid);
        CallAfter([this, rowid] {
            RemoveSiteNode(rowid);
            Changed();
        });
        return std::nullopt;
    }
    if (known && (known->name != stored->hostname || known->host != stored->hostip ||
                  known->folder != stored->folder || known->note != stored->hostcomments ||
                  known->port != stored->hostport || known->protocol != stored->hosttype ||
                  known->hasUser != !stored->hostuser.empty() ||
                  known->keyLogin != (!stored->hostuser.empty() && stored->hostpasswd.empty() &&
                                       stored->hosttype == "ssh"))) {
        const bool moved = known->folder != stored->folder;
        catalog.PutSite(*stored);
        CallAfter([this, rowid, moved] {
            if (moved)
                PlaceSite(rowid);
            else
                ShowSiteAnew(rowid);
            Changed();
        });
    }
    return *stored;
}

// ---- Site commands -------------------------------------------------------------------------------

void ShellyardSitesPanel::ConnectChosen()
{
    frame->ConnectSite(menuSite);
}

void ShellyardSitesPanel::MonitorChosen()
{
    frame->StartMonitor(menuSite);
}

void ShellyardSitesPanel::ConnectAllIn(long long folder)
{
    // Every site in tree order, those of inner folders too, each read as stored now.
    std::vector<long long> rowids = catalog.SitesUnder(folder);
    if (rowids.empty() || !store)
        return;
    std::unique_ptr<SiteList> stored = store->ListSites();
    if (!stored) {
        TellFailure(_("The sites could not be read"), false);
        return;
    }
    std::unordered_map<long long, size_t> index;
    for (size_t i = 0; i < stored->GetCount(); ++i)
        index[stored->Item(i).rowid] = i;
    std::vector<SiteRecord> sites;
    for (long long rowid : rowids) {
        auto found = index.find(rowid);
        if (found != index.end())
            sites.push_back(stored->Item(found->second));
    }
    frame->ConnectSites(std::move(sites));
}

// Deletes the stored row of the node that was right-clicked (whatever is selected), then the node.
void ShellyardSitesPanel::DeleteChosen()
{
    const long long rowid = menuSite.rowid;
    wxString question = wxString::Format(_("Are you sure to delete this site %s now?"), menuSite.hostname);
    if (wxMessageBox(question, "Shellyard", wxYES_NO, frame) != wxYES || !store)
        return;
    // Exactly the node's own row goes, in one statement: other sites may share its host and name.
    int deleted = store->DeleteSiteByRowid(rowid);
    if (deleted < 0 || (deleted == 0 && store->LastFailure() != SiteStore::Failure::None)) {
        TellFailure(wxString::Format(_("The site %s could not be deleted"), menuSite.hostname));
        return;
    }
    menuItem = wxTreeItemId();  // the node is gone: no later command may use it
    catalog.RemoveSite(rowid);
    RemoveSiteNode(rowid);
    Changed();
}

std::optional<SiteRecord> ShellyardSitesPanel::Edit(const SiteRecord& site, const wxString& title,
                                                    const std::function<bool(SiteRecord&)>& saver)
{
    ShellyardNewSiteDialog dialog(frame, title);
    dialog.SetSite(site);
    SiteRecord saved;
    dialog.SetSaver([&](const SiteRecord& accepted) {
        saved = accepted;
        return saver(saved);
    });
    if (dialog.ShowModal() != 1)
        return std::nullopt;
    return saved;
}

bool ShellyardSitesPanel::StoreNewSite(SiteRecord& site)
{
    long long rowid = 0;
    if (store && store->AddSite(site, &rowid) > 0 && rowid > 0) {
        site.rowid = rowid;
        return true;
    }
    TellFailure(wxString::Format(_("The site %s could not be saved"), site.hostname));
    return false;
}

std::optional<SiteRecord> ShellyardSitesPanel::AddNewSite()
{
    SiteRecord fresh;
    fresh.hosttype = "ssh";
    fresh.hostport = "22";
    std::optional<SiteRecord> added =
        Edit(fresh, "New Connection", [this](SiteRecord& site) { return StoreNewSite(site); });
    if (added) {
        catalog.PutSite(*added);
        PlaceSite(added->rowid, true, true);
        Changed();
    }
    return added;
}

void ShellyardSitesPanel::ModifyChosen()
{
    std::optional<SiteRecord> stored = ReadSite(menuSite.rowid);
    if (!stored)
        return;
    bool gone = false;
    std::optional<SiteRecord> changed = Edit(*stored, "Modify Connection", [&](SiteRecord& site) {
        if (store && store->UpdateSite(site) > 0)
            return true;
        gone = store && store->LastFailure() == SiteStore::Failure::Gone;
        TellFailure(wxString::Format(_("The site %s could not be saved"), site.hostname));
        return false;
    });
    if (gone && !changed) {
        catalog.RemoveSite(stored->rowid);
        RemoveSiteNode(stored->rowid);
        Changed();
        return;
    }
    if (!changed)
        return;
    // The node and its detail lines change in place; tabs of the site keep running.
    menuSite = *changed;
    catalog.PutSite(*changed);
    ShowSiteAnew(changed->rowid);
    Changed();
}

void ShellyardSitesPanel::DuplicateChosen()
{
    std::optional<SiteRecord> stored = ReadSite(menuSite.rowid);
    if (!stored)
        return;
    SiteRecord copy = *stored;
    copy.rowid = 0;
    copy.hostname = wxString::Format(_("%s (copy)"), stored->hostname);
    std::optional<SiteRecord> added =
        Edit(copy, "New Connection", [this](SiteRecord& site) { return StoreNewSite(site); });
    if (!added)
        return;
    catalog.PutSite(*added);
    PlaceSite(added->rowid, true, true);
    Changed();
}

void ShellyardSitesPanel::DeleteAllSites()
{
    if (!store)
        return;
    long long count = store->CountSites();
    if (count < 0) {
        TellFailure(_("The sites could not be read"), false);
        return;
    }
    wxString question =
        wxString::Format(_("Delete all %d sites? A copy of the database is kept as Shellyard.db.bak."), int(count));
    if (wxMessageBox(question, "Shellyard", wxYES_NO, frame) != wxYES)
        return;
    // The copy comes first: without it nothing is deleted.
    const wxString copy = store->Path() + ".bak";
    if (!store->BackUp(copy)) {
        TellFailure(wxString::Format(_("The copy %s could not be written, so no site was deleted"), copy));
        return;
    }
    if (store->DeleteAllSites() < 0) {
        TellFailure(_("The sites could not be deleted"));
        return;
    }
    wxLogMessage("Deleted all %d sites; the copy is %s", int(count), copy);
    menuItem = wxTreeItemId();
    catalog.Clear();
    siteNodes.clear();
    folderNodes.clear();
    unbuiltFolders.clear();
    siteTree->DeleteChildren(siteTree->GetRootItem());
    Changed();
}
