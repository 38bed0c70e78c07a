#pragma once
// The one object through which the program reads and writes stored sites in "Shellyard.db".
// Results: see each operation. Records and lists it returns belong to the caller.
#include "storage/SiteList.h"
#include "storage/SiteRecord.h"

#include <memory>
#include <wx/string.h>

class DbConnection;
class StoreMessageSink;

class SiteStore {
public:
    // Messages for the user go to sink (not owned; may be null, then they only reach the log).
    explicit SiteStore(StoreMessageSink* sink = nullptr);
    ~SiteStore();

    int Open(const wxString& path);                      // 1 open; -1 failed (message shown)
    int Create(const wxString& path);                    // 0 nothing to do; negative failed
    int AddSite(SiteRecord record);                      // changed rows; 0 failed; -1 no table
    int DeleteSite(const wxString& hostip, const wxString& hostname);  // deleted rows; -1 no table
    std::unique_ptr<SiteRecord> FindSite(const wxString& hostip, const wxString& hostname);
    std::unique_ptr<SiteList> ListSites();
    int Close();                                         // always 1

private:
    StoreMessageSink* sink;
    wxString path;
    DbConnection* connection = nullptr;
    bool opened = false;
};
