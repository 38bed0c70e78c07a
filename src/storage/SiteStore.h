#pragma once
// The one object through which the program reads and writes stored sites in "Shellyard.db".
// Results: see each operation. Records and lists it returns belong to the caller. Site values are
// always bound as statement parameters, so any text (quotes, semicolons, any length) is stored
// and read back unchanged. A file that already exists is never written to unless it holds
// tbl_hostsite; a missing file is created with the table.
#include "storage/SiteList.h"
#include "storage/SiteRecord.h"

#include <memory>
#include <vector>
#include <wx/string.h>

class DbConnection;
class DatabaseResultSet;
class StoreMessageSink;

class SiteStore {
public:
    // Messages for the user go to sink (not owned; may be null, then they only reach the log).
    explicit SiteStore(StoreMessageSink* sink = nullptr);
    ~SiteStore();
    SiteStore(const SiteStore&) = delete;
    SiteStore& operator=(const SiteStore&) = delete;

    int Open(const wxString& path);                      // 1 open; -1 failed (message shown)
    // For a missing file: creates it with tbl_hostsite and its index (1). An existing file: 0,
    // nothing done. Negative: failed (logged), and no file is left behind.
    int Create(const wxString& path);
    // Changed rows; 0 failed; -1 no table. rowid (optional) receives the new row's rowid when stored.
    int AddSite(SiteRecord record, long long* rowid = nullptr);
    int DeleteSite(const wxString& hostip, const wxString& hostname);  // deleted rows; -1 no table
    // The last stored row of the pair (eight empty fields when none); null: no table or failure.
    std::unique_ptr<SiteRecord> FindSite(const wxString& hostip, const wxString& hostname);
    // Exactly one row, by its rowid: sites may share host and name (and every other column).
    int DeleteSiteByRowid(long long rowid);                // deleted rows (0 or 1); -1 no table
    // The row (eight empty fields when it is gone); null: no table or failure.
    std::unique_ptr<SiteRecord> FindSiteByRowid(long long rowid);
    // Every row in database order (empty list when none); null: no table or failure.
    std::unique_ptr<SiteList> ListSites();
    int Close();                                         // always 1

    // The error text recorded by the last failing database operation (empty when none).
    wxString LastError() const;

private:
    // The table check of every site operation: shows the "incorrect" message when it fails.
    bool TableReady();
    void Tell(const wxString& message, long style);
    // Reads a row selected as its rowid followed by the table's columns.
    static void ReadRecord(DatabaseResultSet* rows, SiteRecord& record);
    std::unique_ptr<SiteRecord> FindOne(const wxString& sql, const std::vector<wxString>& values);

    StoreMessageSink* sink;
    wxString path;
    std::unique_ptr<DbConnection> connection;
    bool opened = false;
};
