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
    int Close();  // 1, or -1 when the layer failed to close
    bool TableExists(wxString name);

    // The rows changed by the last statement; 0 on failure (error recorded).
    int RunQuery(wxString sql);
    int RunQuery(wxString sql, const std::vector<wxString>& values);
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
};
