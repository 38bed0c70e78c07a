#pragma once
// One stored site: the eight text columns of tbl_hostsite in column order, its login settings of
// our own, and where the row is kept (its rowid, and the folder the site is shown in). Copied by value.
#include <utility>
#include <wx/string.h>

class SiteRecord {
public:
    SiteRecord() = default;
    SiteRecord(const SiteRecord&) = default;
    SiteRecord& operator=(const SiteRecord&) = default;
    // The toolkit's strings have no moves of their own; swapping hands the text over without a copy.
    SiteRecord(SiteRecord&& other) noexcept { swap(other); }
    SiteRecord& operator=(SiteRecord&& other) noexcept
    {
        swap(other);
        return *this;
    }
    void swap(SiteRecord& other) noexcept
    {
        hostpasswd.swap(other.hostpasswd);
        hostuser.swap(other.hostuser);
        hosttype.swap(other.hosttype);
        hostip.swap(other.hostip);
        hostname.swap(other.hostname);
        hostport.swap(other.hostport);
        hostpostcommand.swap(other.hostpostcommand);
        hostcomments.swap(other.hostcomments);
        keyfile.swap(other.keyfile);
        puttysession.swap(other.puttysession);
        std::swap(rowid, other.rowid);
        std::swap(folder, other.folder);
    }

    wxString hostpasswd;
    wxString hostuser;
    wxString hosttype;
    wxString hostip;
    wxString hostname;
    wxString hostport;
    wxString hostpostcommand;
    wxString hostcomments;
    // How an SSH site logs in besides user and password, kept in a table of our own: the PuTTY key
    // file (.ppk) passed to PuTTY and PLink, and the PuTTY saved session loaded first. Empty: none.
    wxString keyfile;
    wxString puttysession;
    // The identity SQLite keeps for every row, which tells apart sites that agree in every column;
    // 0 for a record not read from the file. Never written as a column.
    long long rowid = 0;
    // The folder the site is shown in (the id of a SiteFolder); 0 for the top level. Kept in a
    // table of our own, never in tbl_hostsite.
    long long folder = 0;
};
