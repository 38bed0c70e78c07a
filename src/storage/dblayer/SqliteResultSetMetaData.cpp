#include "storage/dblayer/SqliteResultSetMetaData.h"

#include <cstdio>
#include <sqlite3.h>

int SqliteResultSetMetaData::GetColumnType(int position)
{
    if (!statement)
        return ColumnUnknown;
    const wxString declared = FromDatabaseText(sqlite3_column_decltype(statement, position - 1)).Upper();
    if (declared == "INTEGER" || declared == "INT" || declared == "LONG")
        return ColumnInteger;
    if (declared == "STRING" || declared.StartsWith("VARCHAR"))
        return ColumnString;
    if (declared == "DOUBLE" || declared == "FLOAT")
        return ColumnDouble;
    if (declared == "BOOL")
        return ColumnBool;
    if (declared == "BLOB")
        return ColumnBlob;
    if (declared == "DATE" || declared == "DATETIME" || declared == "TIMESTAMP")
        return ColumnDate;

    switch (sqlite3_column_type(statement, position - 1)) {
    case SQLITE_INTEGER:
        std::fputs("sqlite3_column_type returned SQLITE_INTEGER\n", stdout);
        std::fflush(stdout);
        return ColumnInteger;
    case SQLITE_FLOAT:
        return ColumnDouble;
    case SQLITE_TEXT:
        return ColumnString;
    case SQLITE_BLOB:
        return ColumnBlob;
    case SQLITE_NULL:
        return ColumnNull;
    default:
        return ColumnUnknown;
    }
}

int SqliteResultSetMetaData::GetColumnSize(int)
{
    return -1;
}

wxString SqliteResultSetMetaData::GetColumnName(int position)
{
    if (!statement)
        return wxString();
    return FromDatabaseText(sqlite3_column_name(statement, position - 1));
}

int SqliteResultSetMetaData::GetColumnCount()
{
    return statement ? sqlite3_column_count(statement) : 0;
}
