#pragma once
// A compiled query text (one or more statements) with parameters. Parameter positions count from
// 1 and run across all its statements in order; a position that no statement has is ignored.
// Result sets from RunQueryWithResults() belong to the statement until CloseResultSet() or Close().
#include "storage/dblayer/DatabaseErrorReporter.h"
#include "storage/dblayer/DatabaseStringConverter.h"

#include <set>
#include <wx/buffer.h>
#include <wx/datetime.h>
#include <wx/string.h>

class DatabaseResultSet;

class PreparedStatement : public DatabaseErrorReporter, public DatabaseStringConverter {
public:
    PreparedStatement() = default;
    PreparedStatement(const PreparedStatement&) = delete;
    PreparedStatement& operator=(const PreparedStatement&) = delete;
    ~PreparedStatement() override;

    virtual void Close() = 0;

    virtual void SetParamInt(int position, int value) = 0;
    virtual void SetParamDouble(int position, double value) = 0;
    virtual void SetParamString(int position, const wxString& text) = 0;
    virtual void SetParamNull(int position) = 0;
    virtual void SetParamBlob(int position, const void* bytes, long length) = 0;
    virtual void SetParamBlob(int position, const wxMemoryBuffer& buffer);
    // An invalid date-time binds NULL.
    virtual void SetParamDate(int position, const wxDateTime& dateTime) = 0;
    virtual void SetParamBool(int position, bool value) = 0;
    virtual int ParameterCount() = 0;

    // Runs every statement once; the rows changed by the last data-changing statement.
    virtual int RunQuery() = 0;
    // Runs all statements but the last and returns a result set over the last.
    virtual DatabaseResultSet* RunQueryWithResults() = 0;
    // Destroys a result set that this statement handed out: true. Any other (or null): false,
    // and it is left alone.
    virtual bool CloseResultSet(DatabaseResultSet* resultSet);

protected:
    void RememberResultSet(DatabaseResultSet* resultSet) { resultSets.insert(resultSet); }
    // Destroys every result set still remembered.
    void CloseAllResultSets();

private:
    std::set<DatabaseResultSet*> resultSets;
};
