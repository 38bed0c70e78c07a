#include "app/SiteCatalog.h"

#include <algorithm>

namespace {
SiteCatalog::Site EntryOf(const SiteRecord& record)
{
    SiteCatalog::Site site;
    site.rowid = record.rowid;
    site.folder = record.folder;
    site.name = record.hostname;
    site.host = record.hostip;
    site.protocol = record.hosttype;
    site.port = record.hostport;
    site.note = record.hostcomments;
    site.hasUser = !record.hostuser.empty();
    site.keyLogin = site.hasUser && record.hostpasswd.empty() && record.hosttype == "ssh";
    return site;
}
}  // namespace

bool SiteCatalog::NameBefore(const wxString& a, const wxString& b)
{
    int order = a.CmpNoCase(b);
    return order != 0 ? order < 0 : a.Cmp(b) < 0;
}

void SiteCatalog::Clear()
{
    Changed();
    sites.clear();
    folders.clear();
    sitesByFolder.clear();
}

void SiteCatalog::Load(const SiteList& list, const std::vector<SiteFolder>& stored)
{
    Clear();
    for (const SiteFolder& folder : stored)
        folders[folder.id] = folder;
    // A parent that does not exist, or a chain of parents that comes back to the folder, would
    // leave folders nowhere in the tree: they go to the top level.
    for (auto& entry : folders) {
        std::set<long long> seen{entry.first};
        for (long long parent = entry.second.parent; parent != 0;) {
            auto found = folders.find(parent);
            if (found == folders.end() || !seen.insert(parent).second) {
                entry.second.parent = 0;
                break;
            }
            parent = found->second.parent;
        }
    }
    for (size_t i = 0; i < list.GetCount(); ++i)
        PutSite(list.Item(i));
}

void SiteCatalog::PutSite(const SiteRecord& record)
{
    Changed();
    Site site = EntryOf(record);
    if (site.folder != 0 && folders.find(site.folder) == folders.end())
        site.folder = 0;
    // Sites mostly come in rowid order (the store lists them so): each then goes at the end of its
    // maps at once.
    auto known = sites.find(site.rowid);
    if (known != sites.end())
        sitesByFolder[known->second.folder].erase(site.rowid);
    std::set<long long>& inFolder = sitesByFolder[site.folder];
    inFolder.insert(inFolder.end(), site.rowid);
    const long long rowid = site.rowid;
    if (known != sites.end())
        known->second = std::move(site);
    else
        sites.emplace_hint(sites.end(), rowid, std::move(site));
}

void SiteCatalog::RemoveSite(long long rowid)
{
    Changed();
    auto known = sites.find(rowid);
    if (known == sites.end())
        return;
    sitesByFolder[known->second.folder].erase(rowid);
    sites.erase(known);
}

void SiteCatalog::MoveSite(long long rowid, long long folder)
{
    Changed();
    auto known = sites.find(rowid);
    if (known == sites.end())
        return;
    if (folder != 0 && folders.find(folder) == folders.end())
        folder = 0;
    sitesByFolder[known->second.folder].erase(rowid);
    known->second.folder = folder;
    sitesByFolder[folder].insert(rowid);
}

const SiteCatalog::Site* SiteCatalog::FindSite(long long rowid) const
{
    auto found = sites.find(rowid);
    return found == sites.end() ? nullptr : &found->second;
}

void SiteCatalog::PutFolder(const SiteFolder& folder)
{
    Changed();
    SiteFolder put = folder;
    if (put.parent != 0 && (folders.find(put.parent) == folders.end() || IsInside(put.parent, put.id)))
        put.parent = 0;
    folders[put.id] = put;
}

void SiteCatalog::RemoveFolder(long long id)
{
    Changed();
    auto found = folders.find(id);
    if (found == folders.end())
        return;
    const long long parent = found->second.parent;
    for (auto& entry : folders) {
        if (entry.second.parent == id)
            entry.second.parent = parent;
    }
    auto inside = sitesByFolder.find(id);
    if (inside != sitesByFolder.end()) {
        for (long long rowid : inside->second) {
            sites[rowid].folder = parent;
            sitesByFolder[parent].insert(rowid);
        }
        sitesByFolder.erase(inside);
    }
    folders.erase(id);
}

const SiteFolder* SiteCatalog::FindFolder(long long id) const
{
    auto found = folders.find(id);
    return found == folders.end() ? nullptr : &found->second;
}

void SiteCatalog::Order() const
{
    if (ordered)
        return;
    foldersByParent.clear();
    for (const auto& entry : folders)
        foldersByParent[entry.second.parent].push_back(entry.first);
    for (auto& siblings : foldersByParent) {
        std::sort(siblings.second.begin(), siblings.second.end(), [this](long long a, long long b) {
            const wxString& first = folders.at(a).name;
            const wxString& second = folders.at(b).name;
            if (first == second)
                return a < b;
            return NameBefore(first, second);
        });
    }
    ordered = true;
}

void SiteCatalog::MakeSearchable() const
{
    Order();
    if (searchable)
        return;
    searchable = true;
    treeOrder.clear();
    treeOrder.reserve(sites.size());
    std::vector<long long> rowids;
    rowids.reserve(sites.size());
    CollectSites(0, rowids);
    haystacks.clear();
    haystackStarts.clear();
    haystackStarts.reserve(rowids.size() + 1);
    // Name, host and note in lower case, a line end between them so that a match never spans two.
    for (long long rowid : rowids) {
        const Site& site = sites.at(rowid);
        treeOrder.push_back(&site);
        haystackStarts.push_back(haystacks.size());
        for (const wxString* field : {&site.name, &site.host, &site.note}) {
            if (field != &site.name)
                haystacks += L'\n';
            haystacks += field->Lower().ToStdWstring();
        }
        haystacks += L'\0';
    }
    haystackStarts.push_back(haystacks.size());
}

std::vector<long long> SiteCatalog::FoldersIn(long long folder) const
{
    Order();
    auto found = foldersByParent.find(folder);
    return found == foldersByParent.end() ? std::vector<long long>() : found->second;
}

std::vector<long long> SiteCatalog::SitesIn(long long folder) const
{
    auto found = sitesByFolder.find(folder);
    if (found == sitesByFolder.end())
        return {};
    return std::vector<long long>(found->second.begin(), found->second.end());
}

bool SiteCatalog::HasContents(long long folder) const
{
    Order();
    auto sitesIn = sitesByFolder.find(folder);
    return foldersByParent.count(folder) > 0 || (sitesIn != sitesByFolder.end() && !sitesIn->second.empty());
}

void SiteCatalog::CollectSites(long long folder, std::vector<long long>& out) const
{
    for (long long inner : FoldersIn(folder))
        CollectSites(inner, out);
    auto found = sitesByFolder.find(folder);
    if (found != sitesByFolder.end())
        out.insert(out.end(), found->second.begin(), found->second.end());
}

std::vector<long long> SiteCatalog::SitesUnder(long long folder) const
{
    std::vector<long long> out;
    CollectSites(folder, out);
    return out;
}

size_t SiteCatalog::FolderPosition(long long id) const
{
    const SiteFolder* folder = FindFolder(id);
    if (!folder)
        return 0;
    std::vector<long long> siblings = FoldersIn(folder->parent);
    return static_cast<size_t>(std::find(siblings.begin(), siblings.end(), id) - siblings.begin());
}

size_t SiteCatalog::SitePosition(long long rowid) const
{
    const Site* site = FindSite(rowid);
    if (!site)
        return 0;
    const std::set<long long>& inFolder = sitesByFolder.at(site->folder);
    return FoldersIn(site->folder).size() +
           static_cast<size_t>(std::distance(inFolder.begin(), inFolder.find(rowid)));
}

bool SiteCatalog::IsInside(long long folder, long long ancestor) const
{
    std::set<long long> seen;
    for (long long at = folder; at != 0 && seen.insert(at).second;) {
        if (at == ancestor)
            return true;
        const SiteFolder* known = FindFolder(at);
        at = known ? known->parent : 0;
    }
    return false;
}

wxString SiteCatalog::PathOf(long long folder) const
{
    wxString path;
    std::set<long long> seen;
    for (const SiteFolder* at = FindFolder(folder); at && seen.insert(at->id).second; at = FindFolder(at->parent))
        path = path.empty() ? at->name : at->name + " / " + path;
    return path;
}

bool SiteCatalog::NameTaken(long long parent, const wxString& name, long long except) const
{
    for (const auto& entry : folders) {
        if (entry.first != except && entry.second.parent == parent && entry.second.name == name)
            return true;
    }
    return false;
}

SiteCatalog::Matches SiteCatalog::Match(const wxString& text, size_t limit) const
{
    MakeSearchable();
    const std::wstring needle = text.Lower().ToStdWstring();
    Matches matches;
    if (needle.empty())
        return matches;
    // A NUL never matches: the needle comes from a text field. Each match is the site it falls in,
    // whose rest is then skipped.
    for (size_t at = haystacks.find(needle); at != std::wstring::npos;) {
        size_t index = static_cast<size_t>(
            std::upper_bound(haystackStarts.begin(), haystackStarts.end(), at) - haystackStarts.begin() - 1);
        if (matches.shown.size() < limit)
            matches.shown.push_back(treeOrder[index]->rowid);
        ++matches.total;
        at = haystacks.find(needle, haystackStarts[index + 1]);
    }
    return matches;
}
