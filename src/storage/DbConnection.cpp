#include "storage/DbConnection.h"

#include "storage/dblayer/DatabaseLayerException.h"
#include "storage/dblayer/DatabaseResultSet.h"
#include "storage/dblayer/PreparedStatement.h"
#include "storage/dblayer/SqliteDatabaseLayer.h"

#include <wx/filename.h>

DbConnection::DbConnection() : layer(std::make_unique<SqliteDatabaseLayer>()) {}

DbConnection::~DbConnection() = default;

bool DbConnection::FileExists(wxString path)
{
    return wxFileName::FileExists(path);
}

void DbConnection::RecordError(const DatabaseLayerException& e)
{
    lastErrorCode = e.GetErrorCode();
    lastError = wxString::Format("[ErrNo=%d,ErrMsg=%s]", e.GetErrorCode(), e.GetErrorMessage());
}

void DbConnection::RecordQueryError(const DatabaseLayerException& e)
{
    lastErrorCode = e.GetErrorCode();
    lastError = wxString::Format("Execute SqlClause Exception![%d,%s]", e.GetErrorCode(), e.GetErrorMessage());
}

bool DbConnection::Open(wxString path)
{
    lastErrorCode = 0;
    if (layer->IsOpen())
        return true;
    try {
        return layer->Open(path);
    } catch (const DatabaseLayerException& e) {
        RecordError(e);
        return false;
    }
}

int DbConnection::Close()
{
    lastErrorCode = 0;
    try {
        layer->Close();
    } catch (const DatabaseLayerException& e) {
        RecordError(e);
        return -1;
    }
    // Closing destroyed everything the layer had handed out.
    resultSet = nullptr;
    boundStatements.clear();
    return 1;
}

bool DbConnection::TableExists(wxString name)
{
    lastErrorCode = 0;
    try {
        return layer->TableExists(name);
    } catch (const DatabaseLayerException& e) {
        RecordError(e);
        return false;
    }
}

int DbConnection::RunQuery(wxString sql)
{
    lastErrorCode = 0;
    try {
        return layer->RunQuery(sql);
    } catch (const DatabaseLayerException& e) {
        RecordError(e);
        return 0;
    }
}

PreparedStatement* DbConnection::PrepareWithValues(const wxString& sql, const std::vector<wxString>& values)
{
    PreparedStatement* statement = layer->PrepareStatement(sql);
    if (!statement)
        return nullptr;
    try {
        for (std::size_t i = 0; i < values.size(); ++i)
            statement->SetParamString(static_cast<int>(i) + 1, values[i]);
    } catch (const DatabaseLayerException&) {
        layer->CloseStatement(statement);
        throw;
    }
    return statement;
}

int DbConnection::RunQuery(wxString sql, const std::vector<wxString>& values)
{
    lastErrorCode = 0;
    PreparedStatement* statement = nullptr;
    try {
        statement = PrepareWithValues(sql, values);
        if (!statement)
            return 0;
        const int changed = statement->RunQuery();
        layer->CloseStatement(statement);
        return changed;
    } catch (const DatabaseLayerException& e) {
        if (statement)
            layer->CloseStatement(statement);
        RecordError(e);
        return 0;
    }
}

DatabaseResultSet* DbConnection::RunQueryWithResults(wxString sql)
{
    lastErrorCode = 0;
    if (!layer->IsOpen())
        return nullptr;
    try {
        resultSet = layer->RunQueryWithResults(sql);
        if (!resultSet) {
            lastErrorCode = layer->ErrorCode();
            lastError = wxString::Format("Execute SqlClause Exception![%d,%s]", layer->ErrorCode(), layer->ErrorMessage());
        }
        return resultSet;
    } catch (const DatabaseLayerException& e) {
        RecordQueryError(e);
        resultSet = nullptr;
        return nullptr;
    }
}

DatabaseResultSet* DbConnection::RunQueryWithResults(wxString sql, const std::vector<wxString>& values)
{
    lastErrorCode = 0;
    if (!layer->IsOpen())
        return nullptr;
    PreparedStatement* statement = nullptr;
    try {
        statement = PrepareWithValues(sql, values);
        resultSet = statement ? statement->RunQueryWithResults() : nullptr;
        if (resultSet)
            boundStatements[resultSet] = statement;
        return resultSet;
    } catch (const DatabaseLayerException& e) {
        if (statement)
            layer->CloseStatement(statement);
        RecordQueryError(e);
        resultSet = nullptr;
        return nullptr;
    }
}

bool DbConnection::RunTransaction(const std::vector<Statement>& statements, std::vector<int>* changed)
{
    lastErrorCode = 0;
    if (changed)
        changed->clear();
    if (!layer->IsOpen())
        return false;
    // Immediate: the write lock is taken (or waited for) before anything is read, so that no
    // statement of the transaction meets a lock it could not wait for.
    try {
        layer->RunQuery("begin immediate transaction;", false);
    } catch (const DatabaseLayerException& e) {
        RecordError(e);
        return false;
    }
    // A statement that comes again (one insert per imported site) is compiled once and only bound
    // anew each time.
    std::map<wxString, PreparedStatement*> compiled;
    auto closeCompiled = [&] {
        for (auto& entry : compiled) {
            if (entry.second)
                layer->CloseStatement(entry.second);
        }
        compiled.clear();
    };
    try {
        for (const Statement& statement : statements) {
            int rows = 0;
            if (statement.script) {
                rows = layer->RunQuery(statement.sql, false);
            } else {
                PreparedStatement*& prepared = compiled[statement.sql];
                if (!prepared)
                    prepared = layer->PrepareStatement(statement.sql);
                if (prepared) {
                    for (std::size_t i = 0; i < statement.values.size(); ++i)
                        prepared->SetParamString(static_cast<int>(i) + 1, statement.values[i]);
                    rows = prepared->RunQuery();
                }
            }
            if (changed)
                changed->push_back(rows);
        }
        closeCompiled();
        layer->RunQuery("commit transaction;", false);
        return true;
    } catch (const DatabaseLayerException& e) {
        closeCompiled();
        RecordError(e);
        try {
            layer->RunQuery("rollback transaction;", false);
        } catch (const DatabaseLayerException&) {
            // SQLite has rolled back by itself already (a full disk, say).
        }
        return false;
    }
}

bool DbConnection::BackupTo(const wxString& path)
{
    lastErrorCode = 0;
    try {
        layer->BackupTo(path);
        return true;
    } catch (const DatabaseLayerException& e) {
        RecordError(e);
        return false;
    }
}

bool DbConnection::NextRow(DatabaseResultSet* rows)
{
    lastErrorCode = 0;
    if (!rows)
        return false;
    try {
        return rows->Next();
    } catch (const DatabaseLayerException& e) {
        RecordQueryError(e);
        return false;
    }
}

void DbConnection::CloseResultSet(DatabaseResultSet* rows)
{
    if (!rows)
        return;
    if (rows == resultSet)
        resultSet = nullptr;
    const auto bound = boundStatements.find(rows);
    if (bound != boundStatements.end()) {
        PreparedStatement* statement = bound->second;
        boundStatements.erase(bound);
        statement->CloseResultSet(rows);
        layer->CloseStatement(statement);
    } else {
        layer->CloseResultSet(rows);
    }
}
