#include "storage/dblayer/SqliteDatabaseLayer.h"

#include "storage/dblayer/DatabaseErrorCodes.h"
#include "storage/dblayer/DatabaseLayerException.h"
#include "storage/dblayer/ResultSetMetaData.h"
#include "storage/dblayer/SqlitePreparedStatement.h"
#include "storage/dblayer/SqliteResultSet.h"
#include "storage/dblayer/StatementSplitter.h"

#include <sqlite3.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/time.h>

SqliteDatabaseLayer::~SqliteDatabaseLayer()
{
    try {
        Close();
    } catch (const DatabaseLayerException&) {
        // Nobody is left to tell. sqlite3_close_v2 lets SQLite free the handle once whatever
        // still holds it is gone, instead of leaking it.
    }
    CloseAllHandedOut();
    if (database) {
        sqlite3_close_v2(database);
        database = nullptr;
    }
}

void SqliteDatabaseLayer::ThrowSqliteError(int code, const wxString& message)
{
    SetErrorCode(TranslateSqliteErrorCode(code));
    SetErrorMessage(message);
    ThrowError();
}

bool SqliteDatabaseLayer::Open(const wxString& path)
{
    // A second Open would otherwise lose the first handle (and everything handed out on it).
    if (database)
        Close();
    ResetErrors();
    const wxCharBuffer file = ToDatabaseText(path);
    sqlite3* handle = nullptr;
    const int code = sqlite3_open(file.data(), &handle);
    if (code == SQLITE_OK) {
        database = handle;
        sqlite3_busy_timeout(database, kBusyTimeoutMilliseconds);
        return true;
    }
    // SQLite hands out a handle even when opening fails; it only carries the error. Keeping it
    // would make the connection look open, so it is read and released.
    const int errorCode = handle ? sqlite3_errcode(handle) : code;
    const wxString message = handle ? FromDatabaseText(sqlite3_errmsg(handle)) : FromDatabaseText(sqlite3_errstr(code));
    sqlite3_close(handle);
    ThrowSqliteError(errorCode, message);
}

bool SqliteDatabaseLayer::OpenExisting(const wxString& path, bool mustExist)
{
    if (path == ":memory:" || !mustExist || wxFileName::FileExists(path))
        return Open(path);
    ResetErrors();
    SetErrorCode(DATABASE_LAYER_FILE_NOT_FOUND);
    SetErrorMessage("The specified database file '" + path + "' does not exist.");
    ThrowError();
}

void SqliteDatabaseLayer::BackupTo(const wxString& path)
{
    ResetErrors();
    if (!database)
        return;
    const wxCharBuffer file = ToDatabaseText(path);
    sqlite3* target = nullptr;
    int code = sqlite3_open_v2(file.data(), &target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code == SQLITE_OK) {
        sqlite3_backup* backup = sqlite3_backup_init(target, "main", database, "main");
        if (backup) {
            // A step meets the other connections' locks without waiting itself: it is tried again
            // until the busy timeout has passed.
            const wxLongLong deadline = wxGetLocalTimeMillis() + kBusyTimeoutMilliseconds;
            do {
                code = sqlite3_backup_step(backup, -1);
                if ((code == SQLITE_BUSY || code == SQLITE_LOCKED) && wxGetLocalTimeMillis() < deadline)
                    sqlite3_sleep(20);
                else
                    break;
            } while (true);
            sqlite3_backup_finish(backup);
            if (code == SQLITE_DONE)
                code = SQLITE_OK;
        } else {
            code = sqlite3_errcode(target);
        }
    }
    const wxString message =
        target && code == sqlite3_errcode(target) ? FromDatabaseText(sqlite3_errmsg(target))
                                                  : FromDatabaseText(sqlite3_errstr(code));
    const int closed = sqlite3_close(target);
    if (code == SQLITE_OK && closed != SQLITE_OK)
        code = closed;
    if (code != SQLITE_OK)
        ThrowSqliteError(code, message);
}

bool SqliteDatabaseLayer::Close()
{
    ResetErrors();
    CloseAllHandedOut();
    if (!database)
        return true;
    const int code = sqlite3_close(database);
    if (code == SQLITE_OK) {
        database = nullptr;
        return true;
    }
    ThrowSqliteError(sqlite3_errcode(database), FromDatabaseText(sqlite3_errmsg(database)));
}

void SqliteDatabaseLayer::BeginTransaction()
{
#ifndef NDEBUG
    wxLogDebug("Beginning transaction");
#endif
    RunQuery("begin transaction;", false);
}

void SqliteDatabaseLayer::Commit()
{
#ifndef NDEBUG
    wxLogDebug("Commiting transaction");
#endif
    RunQuery("commit transaction;", false);
}

void SqliteDatabaseLayer::Rollback()
{
#ifndef NDEBUG
    wxLogDebug("Rolling back transaction");
#endif
    RunQuery("rollback transaction;", false);
}

int SqliteDatabaseLayer::RunQuery(const wxString& sql, bool split)
{
    ResetErrors();
    if (!database)
        return 0;
    const std::vector<wxString> statements = split ? StatementSplitter::Split(sql) : std::vector<wxString>{sql};
    for (const wxString& statement : statements) {
        const wxCharBuffer text = ToDatabaseText(statement);
        char* sqliteMessage = nullptr;
        const int code = sqlite3_exec(database, text.data(), nullptr, nullptr, &sqliteMessage);
        wxString message;
        if (sqliteMessage) {
            message = FromDatabaseText(sqliteMessage);
            sqlite3_free(sqliteMessage);
        }
        if (code != SQLITE_OK)
            ThrowSqliteError(sqlite3_errcode(database), message);
    }
    return sqlite3_changes(database);
}

DatabaseResultSet* SqliteDatabaseLayer::RunQueryWithResults(const wxString& sql)
{
    ResetErrors();
    if (!database)
        return nullptr;
    const std::vector<wxString> statements = StatementSplitter::Split(sql);
    if (statements.empty()) {
        SetErrorCode(SQLITE_MISUSE);
        SetErrorMessage("The query text holds no statement.");
        return nullptr;
    }
    for (std::size_t i = 0; i + 1 < statements.size(); ++i) {
        const wxCharBuffer text = ToDatabaseText(statements[i]);
        char* sqliteMessage = nullptr;
        const int code = sqlite3_exec(database, text.data(), nullptr, nullptr, &sqliteMessage);
        if (sqliteMessage) {
            const wxString message = FromDatabaseText(sqliteMessage);
            sqlite3_free(sqliteMessage);
            if (code != SQLITE_OK) {
                SetErrorCode(TranslateSqliteErrorCode(sqlite3_errcode(database)));
                SetErrorMessage(message);
                return nullptr;
            }
        } else if (code != SQLITE_OK) {
            ThrowSqliteError(sqlite3_errcode(database), wxString());
        }
    }
    SqlitePreparedStatement* statement = PrepareStatement(statements.back(), false);
    SqliteResultSet* resultSet = new SqliteResultSet(statement, true);
    resultSet->SetEncoding(GetEncoding());
    RememberResultSet(resultSet);
    return resultSet;
}

PreparedStatement* SqliteDatabaseLayer::PrepareStatement(const wxString& sql)
{
    return PrepareStatement(sql, true);
}

SqlitePreparedStatement* SqliteDatabaseLayer::PrepareStatement(const wxString& sql, bool track)
{
    ResetErrors();
    if (!database)
        return nullptr;
    SqlitePreparedStatement* prepared = new SqlitePreparedStatement(database, GetEncoding());
    for (const wxString& statement : StatementSplitter::Split(sql)) {
        const wxCharBuffer text = ToDatabaseText(statement);
        const char* rest = text.data();
        while (rest && *rest) {
            sqlite3_stmt* compiled = nullptr;
            const char* tail = nullptr;
            const int code = sqlite3_prepare_v2(database, rest, -1, &compiled, &tail);
            if (code != SQLITE_OK) {
                const wxString message = FromDatabaseText(sqlite3_errmsg(database));
                delete prepared;
                ThrowSqliteError(code, message);
            }
            // Text that holds only blanks or a comment compiles to nothing.
            if (compiled)
                prepared->AddStatement(compiled);
            rest = tail;
        }
    }
    if (track)
        RememberStatement(prepared);
    return prepared;
}

bool SqliteDatabaseLayer::ObjectExists(const wxString& sql, const wxString& name)
{
    ResetErrors();
    if (!database)
        return false;
    PreparedStatement* statement = PrepareStatement(sql, true);
    DatabaseResultSet* resultSet = nullptr;
    bool exists = false;
    try {
        statement->SetParamString(1, name);
        resultSet = statement->RunQueryWithResults();
        exists = resultSet && resultSet->Next() && resultSet->GetInt(1) != 0;
    } catch (const DatabaseLayerException&) {
        CloseResultSet(resultSet);
        CloseStatement(statement);
        throw;
    }
    CloseResultSet(resultSet);
    CloseStatement(statement);
    return exists;
}

bool SqliteDatabaseLayer::TableExists(const wxString& name)
{
    return ObjectExists("SELECT COUNT(*) FROM sqlite_master WHERE type='table' AND name=?;", name);
}

bool SqliteDatabaseLayer::ViewExists(const wxString& name)
{
    return ObjectExists("SELECT COUNT(*) FROM sqlite_master WHERE type='view' AND name=?;", name);
}

wxArrayString SqliteDatabaseLayer::ListNames(const wxString& sql)
{
    wxArrayString names;
    DatabaseResultSet* resultSet = RunQueryWithResults(sql);
    if (!resultSet) {
        if (ErrorCode() != 0)
            ThrowError();
        return names;
    }
    try {
        while (resultSet->Next())
            names.Add(resultSet->GetString(1));
    } catch (const DatabaseLayerException&) {
        CloseResultSet(resultSet);
        throw;
    }
    CloseResultSet(resultSet);
    return names;
}

wxArrayString SqliteDatabaseLayer::ListTables()
{
    return ListNames("SELECT name FROM sqlite_master WHERE type='table';");
}

wxArrayString SqliteDatabaseLayer::ListViews()
{
    return ListNames("SELECT name FROM sqlite_master WHERE type='view';");
}

wxArrayString SqliteDatabaseLayer::ListColumns(const wxString& table)
{
    wxArrayString columns;
    // The name goes into a quoted literal; doubling its quotes keeps it one name, whatever it holds.
    wxString quoted = table;
    quoted.Replace("'", "''");
    DatabaseResultSet* resultSet = RunQueryWithResults(wxString::Format("SELECT * FROM '%s' LIMIT 0;", quoted));
    if (!resultSet) {
        if (ErrorCode() != 0)
            ThrowError();
        return columns;
    }
    ResultSetMetaData* metaData = nullptr;
    try {
        resultSet->Next();
        metaData = resultSet->GetMetaData();
        const int count = metaData->GetColumnCount();
        for (int i = 1; i <= count; ++i)
            columns.Add(metaData->GetColumnName(i));
    } catch (const DatabaseLayerException&) {
        resultSet->CloseMetaData(metaData);
        CloseResultSet(resultSet);
        throw;
    }
    resultSet->CloseMetaData(metaData);
    CloseResultSet(resultSet);
    return columns;
}
