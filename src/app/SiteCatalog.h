#pragma once
// What the sites pane shows, kept in memory: every stored site (the fields the tree, its tool tips
// and Find need) and every folder, and the tree's order of them: in each folder its folders first,
// sorted by name, then its sites in database order. The panel fills it from the store and keeps it
// in step with what it stores; commands still read each site afresh from the store. Windowless.
#include "storage/SiteFolder.h"
#include "storage/SiteList.h"

#include <map>
#include <set>
#include <string>
#include <vector>
#include <wx/string.h>

class SiteCatalog {
public:
    struct Site {
        long long rowid = 0;
        long long folder = 0;  // 0: the top level
        wxString name, host, protocol, port, note;
        bool hasUser = false;
        bool keyLogin = false;  // SSH with a user and no password: the agent or a key logs in
    };

    void Clear();
    // Everything anew. A folder whose parent is unknown, or that would sit inside itself, goes to
    // the top level; a site in an unknown folder too.
    void Load(const SiteList& sites, const std::vector<SiteFolder>& folders);

    // Adds the site or replaces what is known of it; its folder must be known (else: top level).
    void PutSite(const SiteRecord& site);
    void RemoveSite(long long rowid);
    // The site is shown in folder from now on (0: the top level).
    void MoveSite(long long rowid, long long folder);
    const Site* FindSite(long long rowid) const;
    size_t SiteCount() const { return sites.size(); }

    void PutFolder(const SiteFolder& folder);
    // The folder goes; its sites and folders move up into its parent (as the store does it).
    void RemoveFolder(long long id);
    const SiteFolder* FindFolder(long long id) const;

    // The folders and the sites directly in a folder (0: the top level), in tree order.
    std::vector<long long> FoldersIn(long long folder) const;
    std::vector<long long> SitesIn(long long folder) const;
    // Whether a folder holds any site or folder.
    bool HasContents(long long folder) const;
    // Every site inside the folder, those of its folders too, in tree order.
    std::vector<long long> SitesUnder(long long folder) const;
    // Where a folder goes among its parent's folders, and a site among its folder's sites.
    size_t FolderPosition(long long id) const;
    size_t SitePosition(long long rowid) const;
    // True when folder is ancestor or lies inside it.
    bool IsInside(long long folder, long long ancestor) const;
    // The names from the top level down, joined by " / ".
    wxString PathOf(long long folder) const;
    // Whether another folder in parent (other than except) has exactly this name.
    bool NameTaken(long long parent, const wxString& name, long long except = 0) const;

    // The sites whose name, host or note holds text (in any case), in tree order: at most limit of
    // them in shown, and how many match in all.
    struct Matches {
        std::vector<long long> shown;
        size_t total = 0;
    };
    Matches Match(const wxString& text, size_t limit) const;

private:
    static bool NameBefore(const wxString& a, const wxString& b);
    void CollectSites(long long folder, std::vector<long long>& out) const;
    // The folders of each folder in name order: made again after a change, the first time they are
    // needed.
    void Order() const;
    // Every site in tree order and the text Find searches: made again after a change, at the first
    // search (Find reads them at every keystroke; the start never needs them).
    void MakeSearchable() const;
    void Changed() { ordered = searchable = false; }

    std::map<long long, Site> sites;
    std::map<long long, SiteFolder> folders;
    std::map<long long, std::set<long long>> sitesByFolder;
    mutable bool ordered = false;
    mutable bool searchable = false;
    mutable std::map<long long, std::vector<long long>> foldersByParent;
    mutable std::vector<const Site*> treeOrder;
    // Every site's name, host and note in lower case, in tree order, one site after the other, each
    // ended by a NUL, and where each begins: Find reads memory in one run instead of visiting every
    // site; made at the first search after a change, not at start.
    mutable std::wstring haystacks;
    mutable std::vector<size_t> haystackStarts;
};
