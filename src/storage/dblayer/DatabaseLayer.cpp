#include "storage/dblayer/DatabaseLayer.h"

#include "storage/dblayer/DatabaseErrorCodes.h"
#include "storage/dblayer/DatabaseLayerException.h"
#include "storage/dblayer/DatabaseResultSet.h"
#include "storage/dblayer/PreparedStatement.h"

#include <wx/log.h>

DatabaseLayer::~DatabaseLayer()
{
    CloseAllHandedOut();
}

int DatabaseLayer::RunQuery(const wxString& sql)
{
    return RunQuery(sql, true);
}

bool DatabaseLayer::CloseResultSet(DatabaseResultSet* resultSet)
{
    if (!resultSet)
        return false;
    if (resultSets.erase(resultSet) > 0) {
        delete resultSet;
        return true;
    }
    for (PreparedStatement* statement : statements) {
        if (statement->CloseResultSet(resultSet))
            return true;
    }
    delete resultSet;
    return true;
}

bool DatabaseLayer::CloseStatement(PreparedStatement* statement)
{
    if (!statement)
        return false;
    statements.erase(statement);
    delete statement;
    return true;
}

void DatabaseLayer::CloseAllHandedOut()
{
    // Result sets may read statements' compiled code, so they go first.
    std::set<DatabaseResultSet*> openResultSets;
    openResultSets.swap(resultSets);
    for (DatabaseResultSet* resultSet : openResultSets) {
#ifndef NDEBUG
        wxLogDebug("ResultSet NOT closed and cleaned up by the DatabaseLayer dtor");
#endif
        delete resultSet;
    }
    std::set<PreparedStatement*> openStatements;
    openStatements.swap(statements);
    for (PreparedStatement* statement : openStatements) {
#ifndef NDEBUG
        wxLogDebug("PreparedStatement NOT closed and cleaned up by the DatabaseLayer dtor");
#endif
        delete statement;
    }
}

template <typename T, typename Reader>
T DatabaseLayer::QuerySingle(const wxString& sql, bool requireUnique, Reader read)
{
    DatabaseResultSet* resultSet = RunQueryWithResults(sql);
    if (!resultSet) {
        // Either a failure recorded without an exception, or no open database: no row either way.
        if (ErrorCode() == 0) {
            SetErrorCode(DATABASE_LAYER_NO_ROWS_FOUND);
            SetErrorMessage("No result was returned.");
        }
        ThrowError();
    }
    T value{};
    bool rowRead = false;
    try {
        while (resultSet->Next()) {
            if (rowRead) {
                CloseResultSet(resultSet);
                resultSet = nullptr;
                SetErrorCode(DATABASE_LAYER_NON_UNIQUE_RESULT);
                SetErrorMessage("A non-unique result was returned.");
                ThrowError();
            }
            value = read(resultSet);
            rowRead = true;
            if (!requireUnique)
                break;
        }
    } catch (const DatabaseLayerException&) {
        if (resultSet)
            CloseResultSet(resultSet);
        throw;
    }
    CloseResultSet(resultSet);
    if (!rowRead) {
        SetErrorCode(DATABASE_LAYER_NO_ROWS_FOUND);
        SetErrorMessage("No result was returned.");
        ThrowError();
    }
    return value;
}

template <typename List, typename Reader>
List DatabaseLayer::QueryColumn(const wxString& sql, Reader read)
{
    List values;
    DatabaseResultSet* resultSet = RunQueryWithResults(sql);
    if (!resultSet) {
        if (ErrorCode() != 0)
            ThrowError();
        return values;  // no open database: no rows
    }
    try {
        while (resultSet->Next())
            values.push_back(read(resultSet));
    } catch (const DatabaseLayerException&) {
        CloseResultSet(resultSet);
        throw;
    }
    CloseResultSet(resultSet);
    return values;
}

int DatabaseLayer::QuerySingleInt(const wxString& sql, const wxString& columnName, bool requireUnique)
{
    return QuerySingle<int>(sql, requireUnique, [&](DatabaseResultSet* r) { return r->GetInt(columnName); });
}

int DatabaseLayer::QuerySingleInt(const wxString& sql, int position, bool requireUnique)
{
    return QuerySingle<int>(sql, requireUnique, [&](DatabaseResultSet* r) { return r->GetInt(position); });
}

wxString DatabaseLayer::QuerySingleString(const wxString& sql, const wxString& columnName, bool requireUnique)
{
    return QuerySingle<wxString>(sql, requireUnique,
                                 [&](DatabaseResultSet* r) { return r->GetString(columnName); });
}

wxString DatabaseLayer::QuerySingleString(const wxString& sql, int position, bool requireUnique)
{
    return QuerySingle<wxString>(sql, requireUnique, [&](DatabaseResultSet* r) { return r->GetString(position); });
}

std::int32_t DatabaseLayer::QuerySingleLong(const wxString& sql, const wxString& columnName, bool requireUnique)
{
    return QuerySingle<std::int32_t>(sql, requireUnique,
                                     [&](DatabaseResultSet* r) { return r->GetLong(columnName); });
}

std::int32_t DatabaseLayer::QuerySingleLong(const wxString& sql, int position, bool requireUnique)
{
    return QuerySingle<std::int32_t>(sql, requireUnique,
                                     [&](DatabaseResultSet* r) { return r->GetLong(position); });
}

bool DatabaseLayer::QuerySingleBool(const wxString& sql, const wxString& columnName, bool requireUnique)
{
    return QuerySingle<bool>(sql, requireUnique, [&](DatabaseResultSet* r) { return r->GetBool(columnName); });
}

bool DatabaseLayer::QuerySingleBool(const wxString& sql, int position, bool requireUnique)
{
    return QuerySingle<bool>(sql, requireUnique, [&](DatabaseResultSet* r) { return r->GetBool(position); });
}

wxDateTime DatabaseLayer::QuerySingleDate(const wxString& sql, const wxString& columnName, bool requireUnique)
{
    return QuerySingle<wxDateTime>(sql, requireUnique,
                                   [&](DatabaseResultSet* r) { return r->GetDate(columnName); });
}

wxDateTime DatabaseLayer::QuerySingleDate(const wxString& sql, int position, bool requireUnique)
{
    return QuerySingle<wxDateTime>(sql, requireUnique, [&](DatabaseResultSet* r) { return r->GetDate(position); });
}

void* DatabaseLayer::QuerySingleBlob(const wxString& sql, const wxString& columnName, wxMemoryBuffer& buffer,
                                     bool requireUnique)
{
    return QuerySingle<void*>(sql, requireUnique,
                              [&](DatabaseResultSet* r) { return r->GetBlob(columnName, buffer); });
}

void* DatabaseLayer::QuerySingleBlob(const wxString& sql, int position, wxMemoryBuffer& buffer, bool requireUnique)
{
    return QuerySingle<void*>(sql, requireUnique, [&](DatabaseResultSet* r) { return r->GetBlob(position, buffer); });
}

double DatabaseLayer::QuerySingleDouble(const wxString& sql, const wxString& columnName, bool requireUnique)
{
    return QuerySingle<double>(sql, requireUnique, [&](DatabaseResultSet* r) { return r->GetDouble(columnName); });
}

double DatabaseLayer::QuerySingleDouble(const wxString& sql, int position, bool requireUnique)
{
    return QuerySingle<double>(sql, requireUnique, [&](DatabaseResultSet* r) { return r->GetDouble(position); });
}

std::vector<int> DatabaseLayer::QueryColumnInts(const wxString& sql, const wxString& columnName)
{
    return QueryColumn<std::vector<int>>(sql, [&](DatabaseResultSet* r) { return r->GetInt(columnName); });
}

std::vector<int> DatabaseLayer::QueryColumnInts(const wxString& sql, int position)
{
    return QueryColumn<std::vector<int>>(sql, [&](DatabaseResultSet* r) { return r->GetInt(position); });
}

wxArrayString DatabaseLayer::QueryColumnStrings(const wxString& sql, const wxString& columnName)
{
    return QueryColumn<wxArrayString>(sql, [&](DatabaseResultSet* r) { return r->GetString(columnName); });
}

wxArrayString DatabaseLayer::QueryColumnStrings(const wxString& sql, int position)
{
    return QueryColumn<wxArrayString>(sql, [&](DatabaseResultSet* r) { return r->GetString(position); });
}

std::vector<std::int32_t> DatabaseLayer::QueryColumnLongs(const wxString& sql, const wxString& columnName)
{
    return QueryColumn<std::vector<std::int32_t>>(sql, [&](DatabaseResultSet* r) { return r->GetLong(columnName); });
}

std::vector<std::int32_t> DatabaseLayer::QueryColumnLongs(const wxString& sql, int position)
{
    return QueryColumn<std::vector<std::int32_t>>(sql, [&](DatabaseResultSet* r) { return r->GetLong(position); });
}

std::vector<double> DatabaseLayer::QueryColumnDoubles(const wxString& sql, const wxString& columnName)
{
    return QueryColumn<std::vector<double>>(sql, [&](DatabaseResultSet* r) { return r->GetDouble(columnName); });
}

std::vector<double> DatabaseLayer::QueryColumnDoubles(const wxString& sql, int position)
{
    return QueryColumn<std::vector<double>>(sql, [&](DatabaseResultSet* r) { return r->GetDouble(position); });
}
