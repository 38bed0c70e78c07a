#pragma once
// A connection to one database. Result sets from RunQueryWithResults() and statements from
// PrepareStatement() belong to the connection until CloseResultSet()/CloseStatement() or until it
// closes. Every failure is recorded (ErrorCode/ErrorMessage) and thrown as DatabaseLayerException.
// The single-value and column query families are built here on RunQueryWithResults().
#include "storage/dblayer/DatabaseErrorReporter.h"
#include "storage/dblayer/DatabaseStringConverter.h"

#include <cstdint>
#include <set>
#include <vector>
#include <wx/arrstr.h>
#include <wx/buffer.h>
#include <wx/datetime.h>
#include <wx/string.h>

class DatabaseResultSet;
class PreparedStatement;

class DatabaseLayer : public DatabaseErrorReporter, public DatabaseStringConverter {
public:
    DatabaseLayer() = default;
    DatabaseLayer(const DatabaseLayer&) = delete;
    DatabaseLayer& operator=(const DatabaseLayer&) = delete;
    // Destroys whatever result sets and statements are still remembered.
    ~DatabaseLayer() override;

    virtual bool Open(const wxString& path) = 0;
    virtual bool Close() = 0;
    virtual bool IsOpen() = 0;

    virtual void BeginTransaction() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;

    // Runs the statements of sql (split into statements when split is true); the rows changed by
    // the last data-changing statement. Without an open database: 0 and no error.
    virtual int RunQuery(const wxString& sql, bool split) = 0;
    virtual int RunQuery(const wxString& sql);
    virtual DatabaseResultSet* RunQueryWithResults(const wxString& sql) = 0;
    virtual bool CloseResultSet(DatabaseResultSet* resultSet);

    virtual PreparedStatement* PrepareStatement(const wxString& sql) = 0;
    virtual bool CloseStatement(PreparedStatement* statement);

    // Exact, case-sensitive names. Without an open database: false and no error.
    virtual bool TableExists(const wxString& name) = 0;
    virtual bool ViewExists(const wxString& name) = 0;
    virtual wxArrayString ListTables() = 0;
    virtual wxArrayString ListViews() = 0;
    virtual wxArrayString ListColumns(const wxString& table) = 0;

    // One value of the first row. With requireUnique a second row throws code 10; no row at all
    // throws code 9. The result set is released in every case.
    virtual int QuerySingleInt(const wxString& sql, const wxString& columnName, bool requireUnique = true);
    virtual int QuerySingleInt(const wxString& sql, int position, bool requireUnique = true);
    virtual wxString QuerySingleString(const wxString& sql, const wxString& columnName, bool requireUnique = true);
    virtual wxString QuerySingleString(const wxString& sql, int position, bool requireUnique = true);
    virtual std::int32_t QuerySingleLong(const wxString& sql, const wxString& columnName, bool requireUnique = true);
    virtual std::int32_t QuerySingleLong(const wxString& sql, int position, bool requireUnique = true);
    virtual bool QuerySingleBool(const wxString& sql, const wxString& columnName, bool requireUnique = true);
    virtual bool QuerySingleBool(const wxString& sql, int position, bool requireUnique = true);
    virtual wxDateTime QuerySingleDate(const wxString& sql, const wxString& columnName, bool requireUnique = true);
    virtual wxDateTime QuerySingleDate(const wxString& sql, int position, bool requireUnique = true);
    virtual void* QuerySingleBlob(const wxString& sql, const wxString& columnName, wxMemoryBuffer& buffer,
                                  bool requireUnique = true);
    virtual void* QuerySingleBlob(const wxString& sql, int position, wxMemoryBuffer& buffer,
                                  bool requireUnique = true);
    virtual double QuerySingleDouble(const wxString& sql, const wxString& columnName, bool requireUnique = true);
    virtual double QuerySingleDouble(const wxString& sql, int position, bool requireUnique = true);

    // One value of every row, in row order (empty when there is no row).
    virtual std::vector<int> QueryColumnInts(const wxString& sql, const wxString& columnName);
    virtual std::vector<int> QueryColumnInts(const wxString& sql, int position);
    virtual wxArrayString QueryColumnStrings(const wxString& sql, const wxString& columnName);
    virtual wxArrayString QueryColumnStrings(const wxString& sql, int position);
    virtual std::vector<std::int32_t> QueryColumnLongs(const wxString& sql, const wxString& columnName);
    virtual std::vector<std::int32_t> QueryColumnLongs(const wxString& sql, int position);
    virtual std::vector<double> QueryColumnDoubles(const wxString& sql, const wxString& columnName);
    virtual std::vector<double> QueryColumnDoubles(const wxString& sql, int position);

protected:
    void RememberResultSet(DatabaseResultSet* resultSet) { resultSets.insert(resultSet); }
    void RememberStatement(PreparedStatement* statement) { statements.insert(statement); }
    // Destroys every remembered result set, then every remembered statement.
    void CloseAllHandedOut();

private:
    // The single-value algorithm for every value type: read(resultSet) fetches the value of the
    // current row.
    template <typename T, typename Reader>
    T QuerySingle(const wxString& sql, bool requireUnique, Reader read);
    template <typename List, typename Reader>
    List QueryColumn(const wxString& sql, Reader read);

    std::set<DatabaseResultSet*> resultSets;
    std::set<PreparedStatement*> statements;
};
