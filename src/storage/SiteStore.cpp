#include "storage/SiteStore.h"

#include "app/AppLog.h"
#include "app/PrivateFile.h"
#include "storage/DbConnection.h"
#include "storage/StoreMessageSink.h"
#include "storage/dblayer/DatabaseLayerException.h"
#include "storage/dblayer/DatabaseResultSet.h"

#include <wx/defs.h>
#include <wx/filefn.h>
#include <wx/intl.h>

#include <utility>

namespace {
const char* const kCaption = "Shellyard";
const char* const kTable = "tbl_hostsite";

const char* const kInsertPrefix = "insert into tbl_hostsite(hostpasswd, hostuser, hosttype, hostip, hostname, "
                                  "hostport, hostpostcommand, hostcomments) ";
const char* const kInsertValues = "values (?, ?, ?, ?, ?, ?, ?, ?);";
const char* const kDelete = "delete from tbl_hostsite where hostip = ? and hostname = ?; ";
const char* const kFind = "select rowid, * from tbl_hostsite where hostip = ? and hostname = ?; ";
const char* const kList = "select rowid, * from tbl_hostsite;";
const char* const kDeleteRow = "delete from tbl_hostsite where rowid = cast(? as integer);";
const char* const kFindRow = "select rowid, * from tbl_hostsite where rowid = cast(? as integer);";
const char* const kInsertedRow = "select last_insert_rowid();";

wxString RowidText(long long rowid)
{
    return wxString::Format("%lld", rowid);
}

// The table of a new file: the eight text columns in the order rows are read back, and an index
// on the pair every lookup and deletion goes by. One transaction, so a failure leaves no half.
const char* const kCreateScript =
    "begin transaction;"
    "create table tbl_hostsite(hostpasswd text, hostuser text, hosttype text, hostip text, hostname text, "
    "hostport text, hostpostcommand text, hostcomments text);"
    "create index idx_hostsite_site on tbl_hostsite(hostip, hostname);"
    "commit transaction;";
}  // namespace

SiteStore::SiteStore(StoreMessageSink* sink) : sink(sink), connection(std::make_unique<DbConnection>()) {}

SiteStore::~SiteStore()
{
    Close();
}

void SiteStore::Tell(const wxString& message, long style)
{
    if (sink)
        sink->ShowMessage(message, kCaption, style);
    else
        AppLog::LogMessage(message);
}

wxString SiteStore::LastError() const
{
    return connection ? connection->LastError() : wxString();
}

int SiteStore::Open(const wxString& file)
{
    if (!connection)
        return -1;
    PrivateFile::Tighten(file);
    if (!DbConnection::FileExists(file)) {
        Tell(wxString::Format(_("Can't find database [%s]! will create a new one!"), file), wxOK | wxICON_INFORMATION);
        if (Create(file) < 0)
            return -1;
    }
    if (connection->Open(file)) {
        path = file;
        opened = true;
        return 1;
    }
    Tell(wxString::Format(_("Open database [%s] failed! Reason: %s"), file, connection->LastError()),
         wxOK | wxICON_ERROR);
    return -1;
}

int SiteStore::Create(const wxString& file)
{
    // Only a file that is not there is made; an existing one, damaged or not, is left as it is.
    if (DbConnection::FileExists(file))
        return 0;
    bool made = false;
    wxString reason;
    PrivateFile::Create(file);  // the sites' passwords are kept here
    {
        DbConnection creator;
        if (creator.Open(file)) {
            creator.RunQuery(kCreateScript);
            made = creator.TableExists(kTable);
        }
        reason = creator.LastError();
        creator.Close();
    }
    if (made)
        return 1;
    AppLog::LogMessage(wxString::Format("Create database [%s] failed! Reason: %s", file, reason));
    // What is there now was made a moment ago by this call and holds no table.
    if (DbConnection::FileExists(file))
        wxRemoveFile(file);
    return -1;
}

bool SiteStore::TableReady()
{
    if (connection && connection->TableExists(kTable))
        return true;
    Tell(_("The Database file is incorrect! Please reinstall the software or recreate database."),
         wxOK | wxICON_ERROR);
    return false;
}

int SiteStore::AddSite(SiteRecord record, long long* rowid)
{
    if (!TableReady())
        return -1;
    int result = 0;
    try {
        const std::vector<wxString> values = {record.hostpasswd, record.hostuser,       record.hosttype,
                                      record.hostip,     record.hostname,       record.hostport,
                                      record.hostpostcommand, record.hostcomments};
        result = connection->RunQuery(wxString(kInsertPrefix) + kInsertValues, values);
        if (result == 0)
            AppLog::LogMessage(connection->LastError());
        if (result > 0 && rowid) {
            *rowid = 0;
            if (DatabaseResultSet* rows = connection->RunQueryWithResults(kInsertedRow)) {
                if (connection->NextRow(rows))
                    rows->GetString(1).ToLongLong(rowid);
                connection->CloseResultSet(rows);
            }
        }
    } catch (const DatabaseLayerException& e) {
        AppLog::LogMessage(
            wxString::Format("Database Insert Exception![%d,%s]", e.GetErrorCode(), e.GetErrorMessage()));
        result = 0;
    }
    return result;
}

int SiteStore::DeleteSite(const wxString& hostip, const wxString& hostname)
{
    if (!TableReady())
        return -1;
    try {
        return connection->RunQuery(kDelete, std::vector<wxString>{hostip, hostname});
    } catch (const DatabaseLayerException& e) {
        AppLog::LogMessage(
            wxString::Format("Database Insert Exception![%d,%s]", e.GetErrorCode(), e.GetErrorMessage()));
        return 0;
    }
}

int SiteStore::DeleteSiteByRowid(long long rowid)
{
    if (!TableReady())
        return -1;
    return connection->RunQuery(kDeleteRow, std::vector<wxString>{RowidText(rowid)});
}

void SiteStore::ReadRecord(DatabaseResultSet* rows, SiteRecord& record)
{
    // The rowid comes first, so the table's own columns keep their order after it whatever follows.
    if (!rows->GetString(1).ToLongLong(&record.rowid))
        record.rowid = 0;
    // Swapped in rather than assigned: the toolkit's strings would be copied otherwise.
    rows->GetString(2).swap(record.hostpasswd);
    rows->GetString(3).swap(record.hostuser);
    rows->GetString(4).swap(record.hosttype);
    rows->GetString(5).swap(record.hostip);
    rows->GetString(6).swap(record.hostname);
    rows->GetString(7).swap(record.hostport);
    rows->GetString(8).swap(record.hostpostcommand);
    rows->GetString(9).swap(record.hostcomments);
}

std::unique_ptr<SiteRecord> SiteStore::FindSite(const wxString& hostip, const wxString& hostname)
{
    return FindOne(kFind, std::vector<wxString>{hostip, hostname});
}

std::unique_ptr<SiteRecord> SiteStore::FindSiteByRowid(long long rowid)
{
    return FindOne(kFindRow, std::vector<wxString>{RowidText(rowid)});
}

std::unique_ptr<SiteRecord> SiteStore::FindOne(const wxString& sql, const std::vector<wxString>& values)
{
    if (!TableReady())
        return nullptr;
    DatabaseResultSet* rows = connection->RunQueryWithResults(sql, values);
    if (!rows)
        return nullptr;
    auto record = std::make_unique<SiteRecord>();
    // A later row of the pair overwrites an earlier one. A failure while stepping ends the reading
    // (the connection records it) and what was read is returned.
    while (connection->NextRow(rows))
        ReadRecord(rows, *record);
    connection->CloseResultSet(rows);
    return record;
}

std::unique_ptr<SiteList> SiteStore::ListSites()
{
    if (!TableReady())
        return nullptr;
    DatabaseResultSet* rows = connection->RunQueryWithResults(kList);
    if (!rows)
        return nullptr;
    auto list = std::make_unique<SiteList>();
    while (connection->NextRow(rows)) {
        // Each row is read into its own record, which the list then takes over whole.
        SiteRecord work;
        ReadRecord(rows, work);
        list->Append(std::move(work));
    }
    connection->CloseResultSet(rows);
    return list;
}

int SiteStore::Close()
{
    if (connection && opened)
        connection->Close();
    connection.reset();
    opened = false;
    return 1;
}
