#pragma once
// One stored site: the eight text columns of tbl_hostsite in column order. Copied by value.
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
    }

    wxString hostpasswd;
    wxString hostuser;
    wxString hosttype;
    wxString hostip;
    wxString hostname;
    wxString hostport;
    wxString hostpostcommand;
    wxString hostcomments;
};
