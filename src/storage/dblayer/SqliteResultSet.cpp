#include "storage/dblayer/SqliteResultSet.h"

#include "storage/dblayer/DatabaseErrorCodes.h"
#include "storage/dblayer/SqlitePreparedStatement.h"
#include "storage/dblayer/SqliteResultSetMetaData.h"

#include <cstring>
#include <sqlite3.h>
#include <wx/log.h>

SqliteResultSet::SqliteResultSet(SqlitePreparedStatement* statement, bool ownsStatement)
    : statement(statement), compiled(statement ? statement->GetLastStatement() : nullptr),
      ownsStatement(ownsStatement)
{
    if (statement)
        SetEncoding(statement->GetEncoding());
    const int count = compiled ? sqlite3_column_count(compiled) : 0;
    for (int i = 0; i < count; ++i)
        columns[FromDatabaseText(sqlite3_column_name(compiled, i))] = i;
}

SqliteResultSet::~SqliteResultSet()
{
    Close();
    columns.clear();
}

bool SqliteResultSet::Next()
{
    ResetErrors();
    if (!compiled)
        return false;
    const int code = sqlite3_step(compiled);
    if (code == SQLITE_ROW)
        return true;
    sqlite3_reset(compiled);
    if (code == SQLITE_DONE)
        return false;
    wxLogError("Error with RunQueryWithResults\n");
    SetErrorCode(TranslateSqliteErrorCode(code));
    SetErrorMessage(FromDatabaseText(sqlite3_errmsg(sqlite3_db_handle(compiled))));
    ThrowError();
}

void SqliteResultSet::Close()
{
    CloseAllMetaData();
    if (ownsStatement && statement) {
        statement->Close();
        delete statement;
        statement = nullptr;
        compiled = nullptr;
    }
}

int SqliteResultSet::FieldIndex(const wxString& name)
{
    ResetErrors();
    const auto found = columns.find(name);
    if (found == columns.end()) {
        SetErrorCode(DATABASE_LAYER_FIELD_NOT_FOUND);
        SetErrorMessage("Field '" + name + "' not found in the resultset");
        ThrowError();
    }
    return found->second + 1;
}

int SqliteResultSet::GetInt(int position)
{
    return compiled ? sqlite3_column_int(compiled, position - 1) : 0;
}

wxString SqliteResultSet::GetString(int position)
{
    if (!compiled)
        return wxString();
    return FromDatabaseText(reinterpret_cast<const char*>(sqlite3_column_text(compiled, position - 1)));
}

std::int32_t SqliteResultSet::GetLong(int position)
{
    return compiled ? sqlite3_column_int(compiled, position - 1) : 0;
}

bool SqliteResultSet::GetBool(int position)
{
    return GetInt(position) != 0;
}

wxDateTime SqliteResultSet::GetDate(int position)
{
    const wxString text = GetString(position);
    wxDateTime date;
    if (date.ParseFormat(text, "%m/%d/%y %H:%M:%S"))
        return date;
    if (date.ParseDateTime(text))
        return date;
    if (date.ParseDate(text))
        return date;
    return wxInvalidDateTime;
}

void* SqliteResultSet::GetBlob(int position, wxMemoryBuffer& buffer)
{
    const int length = compiled ? sqlite3_column_bytes(compiled, position - 1) : 0;
    if (length <= 0) {
        buffer = wxMemoryBuffer();
        return nullptr;
    }
    // SQLite's rule is pointer first, then its length: the length asked above only decides
    // whether there is anything, the one asked below belongs to the pointer.
    const void* bytes = sqlite3_column_blob(compiled, position - 1);
    const int size = sqlite3_column_bytes(compiled, position - 1);
    wxMemoryBuffer copy(static_cast<std::size_t>(size));
    if (bytes && size > 0)
        std::memcpy(copy.GetWriteBuf(static_cast<std::size_t>(size)), bytes, static_cast<std::size_t>(size));
    copy.SetDataLen(static_cast<std::size_t>(size));
    buffer = copy;
    return buffer.GetData();
}

double SqliteResultSet::GetDouble(int position)
{
    return compiled ? sqlite3_column_double(compiled, position - 1) : 0.0;
}

bool SqliteResultSet::IsNull(int position)
{
    return !compiled || sqlite3_column_text(compiled, position - 1) == nullptr;
}

ResultSetMetaData* SqliteResultSet::GetMetaData()
{
    SqliteResultSetMetaData* metaData = new SqliteResultSetMetaData(compiled);
    RememberMetaData(metaData);
    return metaData;
}
