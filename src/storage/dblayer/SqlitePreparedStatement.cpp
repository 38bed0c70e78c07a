#include "storage/dblayer/SqlitePreparedStatement.h"

#include "storage/dblayer/DatabaseErrorCodes.h"
#include "storage/dblayer/SqliteResultSet.h"

#include <sqlite3.h>
#include <wx/log.h>

SqlitePreparedStatement::SqlitePreparedStatement(sqlite3* database, const wxCSConv& encoding)
    : database(database)
{
    SetEncoding(encoding);
}

SqlitePreparedStatement::~SqlitePreparedStatement()
{
    Close();
}

void SqlitePreparedStatement::Close()
{
    // Result sets read the compiled statements, so they go first.
    CloseAllResultSets();
    for (sqlite3_stmt* statement : statements)
        sqlite3_finalize(statement);
    statements.clear();
}

sqlite3_stmt* SqlitePreparedStatement::FindParameter(int& position)
{
    for (sqlite3_stmt* statement : statements) {
        const int count = sqlite3_bind_parameter_count(statement);
        if (count >= position)
            return statement;
        position -= count;
    }
    return nullptr;
}

sqlite3_stmt* SqlitePreparedStatement::PrepareBinding(int& position)
{
    ResetErrors();
    sqlite3_stmt* statement = FindParameter(position);
    if (statement)
        sqlite3_reset(statement);
    return statement;
}

void SqlitePreparedStatement::CheckBind(int code)
{
    if (code == SQLITE_OK)
        return;
    SetErrorCode(TranslateSqliteErrorCode(code));
    SetErrorMessage(FromDatabaseText(sqlite3_errmsg(database)));
    ThrowError();
}

void SqlitePreparedStatement::SetParamInt(int position, int value)
{
    if (sqlite3_stmt* statement = PrepareBinding(position))
        CheckBind(sqlite3_bind_int(statement, position, value));
}

void SqlitePreparedStatement::SetParamDouble(int position, double value)
{
    if (sqlite3_stmt* statement = PrepareBinding(position))
        CheckBind(sqlite3_bind_double(statement, position, value));
}

void SqlitePreparedStatement::SetParamString(int position, const wxString& text)
{
    if (sqlite3_stmt* statement = PrepareBinding(position)) {
        const wxCharBuffer bytes = ToDatabaseText(text);
        CheckBind(sqlite3_bind_text(statement, position, bytes.data(), -1, SQLITE_TRANSIENT));
    }
}

void SqlitePreparedStatement::SetParamNull(int position)
{
    if (sqlite3_stmt* statement = PrepareBinding(position))
        CheckBind(sqlite3_bind_null(statement, position));
}

void SqlitePreparedStatement::SetParamBlob(int position, const void* bytes, long length)
{
    if (sqlite3_stmt* statement = PrepareBinding(position))
        CheckBind(sqlite3_bind_blob(statement, position, bytes, static_cast<int>(length), SQLITE_TRANSIENT));
}

void SqlitePreparedStatement::SetParamDate(int position, const wxDateTime& dateTime)
{
    if (sqlite3_stmt* statement = PrepareBinding(position)) {
        if (!dateTime.IsValid()) {
            CheckBind(sqlite3_bind_null(statement, position));
            return;
        }
        const wxCharBuffer bytes = ToDatabaseText(dateTime.Format("%Y-%m-%d %H:%M:%S"));
        CheckBind(sqlite3_bind_text(statement, position, bytes.data(), -1, SQLITE_TRANSIENT));
    }
}

void SqlitePreparedStatement::SetParamBool(int position, bool value)
{
    if (sqlite3_stmt* statement = PrepareBinding(position))
        CheckBind(sqlite3_bind_int(statement, position, value ? 1 : 0));
}

int SqlitePreparedStatement::ParameterCount()
{
    int count = 0;
    for (sqlite3_stmt* statement : statements)
        count += sqlite3_bind_parameter_count(statement);
    return count;
}

void SqlitePreparedStatement::StepOnce(sqlite3_stmt* statement, bool logFailure)
{
    const int code = sqlite3_step(statement);
    if (code == SQLITE_ROW)
        return;
    sqlite3_reset(statement);
    if (code == SQLITE_DONE)
        return;
    if (logFailure)
        wxLogError("Error with RunQueryWithResults\n");
    SetErrorCode(TranslateSqliteErrorCode(code));
    SetErrorMessage(FromDatabaseText(sqlite3_errmsg(database)));
    ThrowError();
}

int SqlitePreparedStatement::RunQuery()
{
    ResetErrors();
    for (sqlite3_stmt* statement : statements)
        StepOnce(statement, false);
    return sqlite3_changes(database);
}

DatabaseResultSet* SqlitePreparedStatement::RunQueryWithResults()
{
    ResetErrors();
    for (std::size_t i = 0; i + 1 < statements.size(); ++i)
        StepOnce(statements[i], true);
    SqliteResultSet* resultSet = new SqliteResultSet(this, false);
    resultSet->SetEncoding(GetEncoding());
    RememberResultSet(resultSet);
    return resultSet;
}
