#pragma once
// The rows of the last compiled statement of a SqlitePreparedStatement. The statement runs when
// Next() is first called. A result set made by the connection's RunQueryWithResults() owns its
// prepared statement and closes it in Close(); one made by a prepared statement only borrows it.
#include "storage/dblayer/DatabaseResultSet.h"

#include <map>

class SqlitePreparedStatement;
struct sqlite3_stmt;

class SqliteResultSet : public DatabaseResultSet {
public:
    SqliteResultSet(SqlitePreparedStatement* statement, bool ownsStatement);
    ~SqliteResultSet() override;

    bool Next() override;
    void Close() override;
    int FieldIndex(const wxString& name) override;

    using DatabaseResultSet::GetBlob;
    using DatabaseResultSet::GetBool;
    using DatabaseResultSet::GetDate;
    using DatabaseResultSet::GetDouble;
    using DatabaseResultSet::GetInt;
    using DatabaseResultSet::GetLong;
    using DatabaseResultSet::GetString;
    using DatabaseResultSet::IsNull;
    int GetInt(int position) override;
    wxString GetString(int position) override;  // NULL reads as empty text
    std::int32_t GetLong(int position) override;
    bool GetBool(int position) override;
    // Tries "%m/%d/%y %H:%M:%S", then free-form date and time, then a date alone; otherwise the
    // invalid date-time.
    wxDateTime GetDate(int position) override;
    void* GetBlob(int position, wxMemoryBuffer& buffer) override;
    double GetDouble(int position) override;
    bool IsNull(int position) override;

    ResultSetMetaData* GetMetaData() override;

private:
    SqlitePreparedStatement* statement;
    sqlite3_stmt* compiled;
    std::map<wxString, int> columns;  // name -> position from 0
    bool ownsStatement;
};
