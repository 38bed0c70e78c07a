#pragma once
// The one object through which the program reads and writes stored sites in "Shellyard.db".
// Results: see each operation. Records and lists it returns belong to the caller. Site values are
// always bound as statement parameters, so any text (quotes, semicolons, any length) is stored
// and read back unchanged. A file that already exists is never written to unless it holds
// tbl_hostsite; a missing file is created with the table.
// Folders live in tables of the program's own beside tbl_hostsite, keyed by the site's rowid, so
// that tbl_hostsite keeps its eight columns and a program that knows no folders reads every site;
// they are made the first time a folder is made or a site is moved, and triggers on tbl_hostsite
// keep them in step with rows deleted or added by any program. The same holds for each site's key
// file and PuTTY saved session (SiteRecord::keyfile, puttysession).
#include "storage/DbConnection.h"
#include "storage/SiteFolder.h"
#include "storage/SiteList.h"
#include "storage/SiteRecord.h"

#include <memory>
#include <vector>
#include <wx/string.h>

class DatabaseResultSet;
class StoreMessageSink;

class SiteStore {
public:
    // Why the last operation failed, for the message the user gets.
    enum class Failure {
        None,
        Busy,       // another connection held its lock past the busy timeout
        ReadOnly,   // the file or its folder cannot be written
        Full,       // the disk is full
        Incorrect,  // no tbl_hostsite, or not a database at all ("incorrect" message shown)
        Gone,       // the row or folder is no longer stored (another program deleted it)
        Other       // any other error (LastError() has SQLite's words)
    };

    // Messages for the user go to sink (not owned; may be null, then they only reach the log).
    explicit SiteStore(StoreMessageSink* sink = nullptr);
    ~SiteStore();
    SiteStore(const SiteStore&) = delete;
    SiteStore& operator=(const SiteStore&) = delete;

    int Open(const wxString& path);                      // 1 open; -1 failed (message shown)
    // For a missing file: creates it with tbl_hostsite and its index (1). An existing file: 0,
    // nothing done. Negative: failed (logged), and no file is left behind.
    int Create(const wxString& path);
    // Changed rows; 0 failed; -1 no table. rowid (optional) receives the new row's rowid when
    // stored. A record with a folder is placed in it in the same transaction.
    int AddSite(SiteRecord record, long long* rowid = nullptr);
    int DeleteSite(const wxString& hostip, const wxString& hostname);  // deleted rows; -1 no table
    // The last stored row of the pair (eight empty fields when none); null: no table or failure.
    std::unique_ptr<SiteRecord> FindSite(const wxString& hostip, const wxString& hostname);
    // Exactly one row, by its rowid: sites may share host and name (and every other column).
    int DeleteSiteByRowid(long long rowid);                // deleted rows (0 or 1); -1 no table
    // The row with its folder (eight empty fields and rowid 0 when it is gone); null: no table or
    // failure.
    std::unique_ptr<SiteRecord> FindSiteByRowid(long long rowid);
    // Stores the eight fields of record into its own row (record.rowid), in one statement: 1;
    // 0 failed (Gone when the row is no longer there); -1 no table.
    int UpdateSite(const SiteRecord& record);
    // Every row in database order, each with its folder (empty list when none); null: no table or
    // failure.
    std::unique_ptr<SiteList> ListSites();
    // How many rows tbl_hostsite holds; -1 on failure.
    long long CountSites();
    // Deletes every site and every folder in one transaction: the number of sites deleted; -1
    // failed (nothing deleted).
    long long DeleteAllSites();
    // Writes a copy of the whole database to path, readable by its owner only; an earlier file
    // there is replaced only once the copy is complete. False on failure (nothing at path changed).
    bool BackUp(const wxString& path);
    int Close();                                         // always 1

    // Folders, all stored by the program's own tables (see above). Every folder of the file
    // (empty when there is none or its table cannot be read).
    std::vector<SiteFolder> ListFolders();
    // A new folder in parent (0: the top level): its id; 0 on failure.
    long long AddFolder(long long parent, const wxString& name);
    int RenameFolder(long long id, const wxString& name);  // 1; 0 failed (Gone: no such folder)
    // Deletes the folder; its sites and folders move up into its parent, all in one transaction.
    // 1; 0 failed.
    int DeleteFolder(long long id);
    // Shows the site in folder (0: the top level): 1; 0 failed (Gone: the site is not stored).
    int MoveSite(long long rowid, long long folder);
    int MoveFolder(long long id, long long parent);  // 1; 0 failed (Gone: no such folder)
    // Stores the sites in a new top-level folder named folderName, all in one transaction (each
    // insert compiled once): the new folder's id, with each record's rowid and folder set; 0 failed
    // (nothing stored).
    long long ImportSites(const wxString& folderName, std::vector<SiteRecord>& records);

    // The path of the open database file (empty until Open succeeds).
    const wxString& Path() const { return path; }
    // The error text recorded by the last failing database operation (empty when none).
    wxString LastError() const;
    // Why the last operation failed (None after one that succeeded).
    Failure LastFailure() const { return failure; }
    // How an SQLite result code counts for the user.
    static Failure FailureOf(int sqliteCode);

private:
    // The table check of every site operation: 1 ready; -1 the table is missing or the file is no
    // database (the "incorrect" message shown); 0 the check itself failed (busy, say: no message).
    int TableCheck();
    void Tell(const wxString& message, long style);
    void Failed();  // records why the connection's last operation failed
    bool HaveFolderTables();
    bool HaveLoginTable();
    void ReadLogin(SiteRecord& record);  // the key file and saved session of record.rowid
    // Runs statements in one transaction, after making the folder tables when they are missing.
    bool ChangeFolders(std::vector<DbConnection::Statement> statements, std::vector<int>* changed = nullptr);
    // Reads a row selected as its rowid followed by the table's columns (and maybe its folder).
    static void ReadRecord(DatabaseResultSet* rows, SiteRecord& record, bool withFolder);
    std::unique_ptr<SiteRecord> FindOne(const wxString& sql, const std::vector<wxString>& values);

    StoreMessageSink* sink;
    wxString path;
    std::unique_ptr<DbConnection> connection;
    bool opened = false;
    Failure failure = Failure::None;
};
