#pragma once
// The site store's connection: owns one SQLite DatabaseLayer and turns every exception of the
// layer into a recorded error text (LastError) and a plain result, so that none leaves it.
// Result sets it returns belong to the layer; hand them back with CloseResultSet() when read.
// Values are bound as text parameters ('?' in the statement, in order), never put into SQL text.
#include <map>
#include <memory>
#include <vector>
#include <wx/arrstr.h>
#include <wx/string.h>

class DatabaseLayerException;
class DatabaseResultSet;
class PreparedStatement;
class SqliteDatabaseLayer;

class DbConnection {
public:
    DbConnection();
    ~DbConnection();  // the layer closes whatever database it still holds
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    static bool FileExists(wxString path);
    // True at once when a database is already open; otherwise the layer's answer for path.
    bool Open(wxString path);
    wxString LastError() const { return lastError; }
    // The layer's error code of the last operation's failure (an SQLite result code such as
    // SQLITE_BUSY); 0 when the last operation succeeded.
    int LastErrorCode() const { return lastErrorCode; }
    int Close();  // 1, or -1 when the layer failed to close
    bool TableExists(wxString name);

    // The rows changed by the last statement; 0 on failure (error recorded).
    int RunQuery(wxString sql);
    int RunQuery(wxString sql, const std::vector<wxString>& values);
    // One statement of a transaction: SQL with its values bound in order, or (script) a text run
    // as it is, unsplit, such as a trigger whose body holds semicolons.
    struct Statement {
        wxString sql;
        std::vector<wxString> values;
        bool script = false;
    };
    // Runs the statements as one transaction that takes the write lock at once (waiting for it as
    // long as the busy timeout), so that either all of them are stored or none. The rows each
    // statement changed go to changed (optional). False on failure: rolled back, error recorded.
    bool RunTransaction(const std::vector<Statement>& statements, std::vector<int>* changed = nullptr);
    // Copies the database into the file at path (see SqliteDatabaseLayer::BackupTo); false on
    // failure (error recorded).
    bool BackupTo(const wxString& path);

    // The result set of the last statement; null on failure (error recorded) or when closed.
    DatabaseResultSet* RunQueryWithResults(wxString sql);
    DatabaseResultSet* RunQueryWithResults(wxString sql, const std::vector<wxString>& values);
    // Steps to the next row; false at the end and on a failure, which is recorded.
    bool NextRow(DatabaseResultSet* resultSet);
    // Releases a result set from RunQueryWithResults (and the statement behind it).
    void CloseResultSet(DatabaseResultSet* resultSet);

    SqliteDatabaseLayer& Layer() { return *layer; }

private:
    void RecordError(const DatabaseLayerException& e);       // "[ErrNo=%d,ErrMsg=%s]"
    void RecordQueryError(const DatabaseLayerException& e);  // "Execute SqlClause Exception![%d,%s]"
    // A tracked statement for sql with values bound in order; null when no database is open.
    PreparedStatement* PrepareWithValues(const wxString& sql, const std::vector<wxString>& values);

    std::unique_ptr<SqliteDatabaseLayer> layer;
    DatabaseResultSet* resultSet = nullptr;  // the most recent one; the layer tracks it
    std::map<DatabaseResultSet*, PreparedStatement*> boundStatements;
    wxString lastError;
    int lastErrorCode = 0;
};
