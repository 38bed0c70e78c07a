#pragma once
// One stored site: the eight text columns of tbl_hostsite in column order. Copied by value.
#include <wx/string.h>

class SiteRecord {
public:
    wxString hostpasswd;
    wxString hostuser;
    wxString hosttype;
    wxString hostip;
    wxString hostname;
    wxString hostport;
    wxString hostpostcommand;
    wxString hostcomments;
};
