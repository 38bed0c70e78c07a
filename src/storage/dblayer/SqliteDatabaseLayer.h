#pragma once
// The connection on SQLite: one database handle, absent while closed. Statements and result sets
// it hands out are tracked (see DatabaseLayer) and destroyed at the latest when it closes.
#include "storage/dblayer/DatabaseLayer.h"

struct sqlite3;
class SqlitePreparedStatement;

class SqliteDatabaseLayer : public DatabaseLayer {
public:
    SqliteDatabaseLayer() = default;
    ~SqliteDatabaseLayer() override;

    // How long every statement waits for a lock that another connection (another program, a
    // second Shellyard, the sqlite3 shell) holds before it fails with SQLITE_BUSY.
    static constexpr int kBusyTimeoutMilliseconds = 5000;

    // Opens path read-write, creating an empty database file when none exists there, and gives it
    // the busy timeout. A database already open is closed first. A failed open leaves the
    // connection closed and throws.
    bool Open(const wxString& path) override;
    bool Close() override;
    bool IsOpen() override { return database != nullptr; }

    void BeginTransaction() override;
    void Commit() override;
    void Rollback() override;

    using DatabaseLayer::RunQuery;
    int RunQuery(const wxString& sql, bool split) override;
    // Runs every statement but the last at once; the last runs at the result set's first Next().
    // The result set owns its compiled statement. A query text with no statement records
    // SQLITE_MISUSE and gives null, as does a failing earlier statement that SQLite explains.
    DatabaseResultSet* RunQueryWithResults(const wxString& sql) override;
    PreparedStatement* PrepareStatement(const wxString& sql) override;
    // track: whether the connection remembers the statement (and destroys it when it closes).
    SqlitePreparedStatement* PrepareStatement(const wxString& sql, bool track);

    bool TableExists(const wxString& name) override;
    bool ViewExists(const wxString& name) override;
    wxArrayString ListTables() override;
    wxArrayString ListViews() override;
    wxArrayString ListColumns(const wxString& table) override;

    // Open(path), except that a missing file (other than ":memory:") is an error (code 1) when
    // mustExist is true.
    virtual bool OpenExisting(const wxString& path, bool mustExist);

    // Copies the open database page by page into the database file at path (made or overwritten),
    // as one consistent picture even while other connections use it; waits for their locks as long
    // as the busy timeout. Throws on failure.
    void BackupTo(const wxString& path);

private:
    bool ObjectExists(const wxString& sql, const wxString& name);
    wxArrayString ListNames(const wxString& sql);
    // Records SQLite's failure (code, and message or the handle's message) and throws.
    [[noreturn]] void ThrowSqliteError(int code, const wxString& message);

    sqlite3* database = nullptr;
};
