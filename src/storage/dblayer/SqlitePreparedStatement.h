#pragma once
// A prepared statement on SQLite: an ordered list of compiled statements on a borrowed database
// handle. It owns the compiled statements and finalizes them in Close() (and its destructor).
#include "storage/dblayer/PreparedStatement.h"

#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class SqlitePreparedStatement : public PreparedStatement {
public:
    SqlitePreparedStatement(sqlite3* database, const wxCSConv& encoding);
    ~SqlitePreparedStatement() override;

    void Close() override;

    using PreparedStatement::SetParamBlob;
    void SetParamInt(int position, int value) override;
    void SetParamDouble(int position, double value) override;
    void SetParamString(int position, const wxString& text) override;
    void SetParamNull(int position) override;
    // The bytes are copied by SQLite, so the caller's buffer may go right after the call.
    void SetParamBlob(int position, const void* bytes, long length) override;
    void SetParamDate(int position, const wxDateTime& dateTime) override;
    void SetParamBool(int position, bool value) override;
    int ParameterCount() override;

    int RunQuery() override;
    DatabaseResultSet* RunQueryWithResults() override;

    // Takes ownership of a compiled statement, appended to the list.
    void AddStatement(sqlite3_stmt* statement) { statements.push_back(statement); }
    const std::vector<sqlite3_stmt*>& GetStatements() const { return statements; }
    // The statement a result set reads: the last of the list (null when the list is empty).
    sqlite3_stmt* GetLastStatement() const { return statements.empty() ? nullptr : statements.back(); }
    sqlite3* GetDatabase() const { return database; }

private:
    // The compiled statement that holds parameter `position`, and its position there; null when
    // no statement holds it.
    sqlite3_stmt* FindParameter(int& position);
    // Common start of every binder: the statement to bind on (reset), or null to do nothing.
    sqlite3_stmt* PrepareBinding(int& position);
    // Records and throws a failed bind.
    void CheckBind(int code);
    // Steps one statement of the list as RunQuery does; throws on failure.
    void StepOnce(sqlite3_stmt* statement, bool logFailure);

    sqlite3* database;
    std::vector<sqlite3_stmt*> statements;
};
