#pragma once
// Column descriptions of one compiled SQLite statement (borrowed from the result set that made
// this object). A column whose declared type is not a known name is typed by its current value.
#include "storage/dblayer/ResultSetMetaData.h"

struct sqlite3_stmt;

class SqliteResultSetMetaData : public ResultSetMetaData {
public:
    explicit SqliteResultSetMetaData(sqlite3_stmt* statement) : statement(statement) {}

    int GetColumnType(int position) override;
    int GetColumnSize(int position) override;  // always -1: SQLite keeps no column sizes
    wxString GetColumnName(int position) override;
    int GetColumnCount() override;

private:
    sqlite3_stmt* statement;
};
