#pragma once
// One folder of the site tree as stored in the program's own folder table: its id, the folder it
// sits in (0: the top level) and its name. Copied by value.
#include <wx/string.h>

struct SiteFolder {
    long long id = 0;
    long long parent = 0;
    wxString name;
};
