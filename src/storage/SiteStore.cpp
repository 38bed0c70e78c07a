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

#include <unordered_map>
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
const char* const kUpdateRow =
    "update tbl_hostsite set hostpasswd = ?, hostuser = ?, hosttype = ?, hostip = ?, hostname = ?, hostport = ?, "
    "hostpostcommand = ?, hostcomments = ? where rowid = cast(? as integer);";
const char* const kCount = "select count(*) from tbl_hostsite;";

// The program's own tables: folders, and the folder each site is shown in, keyed by the site's
// rowid (a site without a row here is at the top level). The triggers keep the placements in step
// with tbl_hostsite whoever changes it: a deleted row takes its placement along, and a new row
// never inherits the placement of an earlier one that had the same rowid.
const char* const kFolderTable = "shellyard_folder";
const char* const kPlacementTable = "shellyard_site_folder";
const char* const kFolderSchema =
    "create table if not exists shellyard_folder(id integer primary key, parent integer not null default 0, "
    "name text not null);"
    "create table if not exists shellyard_site_folder(site integer primary key, folder integer not null);"
    "create trigger if not exists shellyard_site_deleted after delete on tbl_hostsite begin "
    "delete from shellyard_site_folder where site = old.rowid; end;"
    "create trigger if not exists shellyard_site_added after insert on tbl_hostsite begin "
    "delete from shellyard_site_folder where site = new.rowid; end;";
const char* const kListWithFolders =
    "select s.rowid, s.*, coalesce(f.folder, 0) from tbl_hostsite s left join shellyard_site_folder f "
    "on f.site = s.rowid order by s.rowid;";
const char* const kFindRowWithFolder =
    "select s.rowid, s.*, coalesce(f.folder, 0) from tbl_hostsite s left join shellyard_site_folder f "
    "on f.site = s.rowid where s.rowid = cast(? as integer);";
const char* const kPlaceInserted =
    "insert into shellyard_site_folder(site, folder) values (last_insert_rowid(), cast(? as integer));";
const char* const kListFolders = "select id, parent, name from shellyard_folder order by id;";

// How each site logs in besides user and password (key file, PuTTY saved session), keyed by the
// site's rowid and kept in step with tbl_hostsite by triggers, as the placements are. A site
// without a row here has neither.
const char* const kLoginTable = "shellyard_site_login";
const char* const kLoginSchema =
    "create table if not exists shellyard_site_login(site integer primary key, keyfile text not null default '', "
    "session text not null default '');"
    "create trigger if not exists shellyard_login_deleted after delete on tbl_hostsite begin "
    "delete from shellyard_site_login where site = old.rowid; end;"
    "create trigger if not exists shellyard_login_added after insert on tbl_hostsite begin "
    "delete from shellyard_site_login where site = new.rowid; end;";
const char* const kLoginInserted =
    "insert into shellyard_site_login(site, keyfile, session) values (last_insert_rowid(), ?, ?);";
const char* const kLoginPut =
    "insert or replace into shellyard_site_login(site, keyfile, session) select cast(?1 as integer), ?2, ?3 "
    "where exists (select 1 from tbl_hostsite where rowid = cast(?1 as integer));";
const char* const kLoginDrop = "delete from shellyard_site_login where site = cast(? as integer);";
const char* const kLoginOfRow = "select keyfile, session from shellyard_site_login where site = cast(? as integer);";
const char* const kLogins = "select site, keyfile, session from shellyard_site_login;";

bool HasLogin(const SiteRecord& record)
{
    return !record.keyfile.empty() || !record.puttysession.empty();
}

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

using Statement = DbConnection::Statement;

SiteStore::Failure SiteStore::FailureOf(int sqliteCode)
{
    switch (sqliteCode & 0xff) {
    case 0:
        return Failure::None;
    case 5:   // SQLITE_BUSY
    case 6:   // SQLITE_LOCKED
        return Failure::Busy;
    case 8:   // SQLITE_READONLY
    case 14:  // SQLITE_CANTOPEN: the journal cannot be made beside the file
        return Failure::ReadOnly;
    case 13:  // SQLITE_FULL
        return Failure::Full;
    case 11:  // SQLITE_CORRUPT
    case 26:  // SQLITE_NOTADB
        return Failure::Incorrect;
    default:
        return Failure::Other;
    }
}

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

void SiteStore::Failed()
{
    failure = connection ? FailureOf(connection->LastErrorCode()) : Failure::Other;
    if (failure == Failure::None)
        failure = Failure::Other;
}

int SiteStore::TableCheck()
{
    failure = Failure::None;
    if (connection && connection->TableExists(kTable))
        return 1;
    // A lock held too long, a read error: the file may be perfectly sound, and telling the user to
    // recreate it would cost them their sites.
    const Failure reason = connection ? FailureOf(connection->LastErrorCode()) : Failure::None;
    if (reason != Failure::None && reason != Failure::Incorrect) {
        failure = reason;
        return 0;
    }
    failure = Failure::Incorrect;
    Tell(_("The Database file is incorrect! Please reinstall the software or recreate database."),
         wxOK | wxICON_ERROR);
    return -1;
}

bool SiteStore::HaveLoginTable()
{
    return connection && connection->TableExists(kLoginTable);
}

void SiteStore::ReadLogin(SiteRecord& record)
{
    if (record.rowid <= 0 || !HaveLoginTable())
        return;
    if (DatabaseResultSet* rows = connection->RunQueryWithResults(kLoginOfRow, {RowidText(record.rowid)})) {
        if (connection->NextRow(rows)) {
            rows->GetString(1).swap(record.keyfile);
            rows->GetString(2).swap(record.puttysession);
        }
        connection->CloseResultSet(rows);
    }
}

bool SiteStore::HaveFolderTables()
{
    return connection && connection->TableExists(kFolderTable) && connection->TableExists(kPlacementTable);
}

int SiteStore::AddSite(SiteRecord record, long long* rowid)
{
    if (int ready = TableCheck(); ready <= 0)
        return ready;
    int result = 0;
    try {
        const std::vector<wxString> values = {record.hostpasswd, record.hostuser,       record.hosttype,
                                      record.hostip,     record.hostname,       record.hostport,
                                      record.hostpostcommand, record.hostcomments};
        if (record.folder > 0 || HasLogin(record)) {
            // The row, its login settings and its place in the folder are stored together or not
            // at all. The login goes right after the row, while last_insert_rowid() is the row's.
            std::vector<int> changed;
            std::vector<Statement> statements;
            if (record.folder > 0)
                statements.push_back({kFolderSchema, {}, true});
            if (HasLogin(record))
                statements.push_back({kLoginSchema, {}, true});
            const size_t row = statements.size();
            statements.push_back({wxString(kInsertPrefix) + kInsertValues, values});
            if (HasLogin(record))
                statements.push_back({kLoginInserted, {record.keyfile, record.puttysession}});
            if (record.folder > 0)
                statements.push_back({kPlaceInserted, {RowidText(record.folder)}});
            result = connection->RunTransaction(statements, &changed) ? changed[row] : 0;
        } else {
            result = connection->RunQuery(wxString(kInsertPrefix) + kInsertValues, values);
        }
        if (result == 0) {
            Failed();
            AppLog::LogMessage(connection->LastError());
        }
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
        failure = FailureOf(e.GetErrorCode());
        result = 0;
    }
    return result;
}

int SiteStore::DeleteSite(const wxString& hostip, const wxString& hostname)
{
    if (int ready = TableCheck(); ready <= 0)
        return ready < 0 ? -1 : 0;
    try {
        int deleted = connection->RunQuery(kDelete, std::vector<wxString>{hostip, hostname});
        if (connection->LastErrorCode() != 0)
            Failed();
        return deleted;
    } catch (const DatabaseLayerException& e) {
        AppLog::LogMessage(
            wxString::Format("Database Insert Exception![%d,%s]", e.GetErrorCode(), e.GetErrorMessage()));
        return 0;
    }
}

int SiteStore::DeleteSiteByRowid(long long rowid)
{
    if (int ready = TableCheck(); ready <= 0)
        return ready < 0 ? -1 : 0;
    int deleted = connection->RunQuery(kDeleteRow, std::vector<wxString>{RowidText(rowid)});
    if (connection->LastErrorCode() != 0)
        Failed();
    return deleted;
}

int SiteStore::UpdateSite(const SiteRecord& record)
{
    if (int ready = TableCheck(); ready <= 0)
        return ready;
    const std::vector<wxString> values = {record.hostpasswd, record.hostuser, record.hosttype,
                                          record.hostip,     record.hostname, record.hostport,
                                          record.hostpostcommand, record.hostcomments, RowidText(record.rowid)};
    int changed = 0;
    if (HasLogin(record) || HaveLoginTable()) {
        // The columns and the login settings change together.
        std::vector<Statement> statements = {{kUpdateRow, values}};
        if (HasLogin(record)) {
            statements.insert(statements.begin(), Statement{kLoginSchema, {}, true});
            statements.push_back({kLoginPut, {RowidText(record.rowid), record.keyfile, record.puttysession}});
        } else {
            statements.push_back({kLoginDrop, {RowidText(record.rowid)}});
        }
        std::vector<int> counts;
        if (!connection->RunTransaction(statements, &counts)) {
            Failed();
            AppLog::LogMessage(connection->LastError());
            return 0;
        }
        changed = counts[HasLogin(record) ? 1 : 0];
    } else {
        changed = connection->RunQuery(kUpdateRow, values);
        if (connection->LastErrorCode() != 0) {
            Failed();
            AppLog::LogMessage(connection->LastError());
            return 0;
        }
    }
    if (changed == 0)
        failure = Failure::Gone;
    return changed > 0 ? 1 : 0;
}

long long SiteStore::CountSites()
{
    if (TableCheck() <= 0)
        return -1;
    long long count = -1;
    if (DatabaseResultSet* rows = connection->RunQueryWithResults(kCount)) {
        if (connection->NextRow(rows) && !rows->GetString(1).ToLongLong(&count))
            count = -1;
        connection->CloseResultSet(rows);
    }
    if (count < 0)
        Failed();
    return count;
}

long long SiteStore::DeleteAllSites()
{
    long long count = CountSites();
    if (count < 0)
        return -1;
    std::vector<Statement> statements = {{"delete from tbl_hostsite;", {}}};
    if (HaveFolderTables()) {
        statements.push_back({"delete from shellyard_site_folder;", {}});
        statements.push_back({"delete from shellyard_folder;", {}});
    }
    if (HaveLoginTable())
        statements.push_back({"delete from shellyard_site_login;", {}});
    std::vector<int> changed;
    if (!connection->RunTransaction(statements, &changed)) {
        Failed();
        AppLog::LogMessage(connection->LastError());
        return -1;
    }
    return changed[0];
}

bool SiteStore::BackUp(const wxString& target)
{
    failure = Failure::None;
    if (!connection) {
        failure = Failure::Other;
        return false;
    }
    // The copy is made beside its place and put there only when it is whole, so that a failure
    // leaves an earlier copy as it was.
    const wxString partial = target + ".part";
    if (DbConnection::FileExists(partial))
        wxRemoveFile(partial);
    PrivateFile::Create(partial);
    if (!connection->BackupTo(partial)) {
        Failed();
        AppLog::LogMessage(wxString::Format("Copy of the database to %s failed: %s", target, connection->LastError()));
        wxRemoveFile(partial);
        return false;
    }
    if (!wxRenameFile(partial, target, true)) {
        failure = Failure::Other;
        AppLog::LogMessage(wxString::Format("Copy of the database could not be put at %s", target));
        wxRemoveFile(partial);
        return false;
    }
    return true;
}

void SiteStore::ReadRecord(DatabaseResultSet* rows, SiteRecord& record, bool withFolder)
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
    if (!withFolder || !rows->GetString(10).ToLongLong(&record.folder))
        record.folder = 0;
}

std::unique_ptr<SiteRecord> SiteStore::FindSite(const wxString& hostip, const wxString& hostname)
{
    return FindOne(kFind, std::vector<wxString>{hostip, hostname});
}

std::unique_ptr<SiteRecord> SiteStore::FindSiteByRowid(long long rowid)
{
    if (connection && HaveFolderTables())
        return FindOne(kFindRowWithFolder, std::vector<wxString>{RowidText(rowid)});
    return FindOne(kFindRow, std::vector<wxString>{RowidText(rowid)});
}

std::unique_ptr<SiteRecord> SiteStore::FindOne(const wxString& sql, const std::vector<wxString>& values)
{
    if (TableCheck() <= 0)
        return nullptr;
    DatabaseResultSet* rows = connection->RunQueryWithResults(sql, values);
    if (!rows) {
        Failed();
        return nullptr;
    }
    auto record = std::make_unique<SiteRecord>();
    const bool withFolder = sql == kFindRowWithFolder;
    // A later row of the pair overwrites an earlier one. A failure while stepping ends the reading
    // (the connection records it) and what was read is returned.
    while (connection->NextRow(rows))
        ReadRecord(rows, *record, withFolder);
    connection->CloseResultSet(rows);
    ReadLogin(*record);
    return record;
}

std::unique_ptr<SiteList> SiteStore::ListSites()
{
    if (TableCheck() <= 0)
        return nullptr;
    const bool withFolders = HaveFolderTables();
    std::unordered_map<long long, std::pair<wxString, wxString>> logins;
    if (HaveLoginTable()) {
        if (DatabaseResultSet* loginRows = connection->RunQueryWithResults(kLogins)) {
            while (connection->NextRow(loginRows)) {
                long long site = 0;
                if (loginRows->GetString(1).ToLongLong(&site))
                    logins[site] = {loginRows->GetString(2), loginRows->GetString(3)};
            }
            connection->CloseResultSet(loginRows);
        }
    }
    DatabaseResultSet* rows = connection->RunQueryWithResults(withFolders ? kListWithFolders : kList);
    if (!rows) {
        Failed();
        return nullptr;
    }
    auto list = std::make_unique<SiteList>();
    while (connection->NextRow(rows)) {
        // Each row is read into its own record, which the list then takes over whole.
        SiteRecord work;
        ReadRecord(rows, work, withFolders);
        if (auto login = logins.find(work.rowid); login != logins.end()) {
            work.keyfile = login->second.first;
            work.puttysession = login->second.second;
        }
        list->Append(std::move(work));
    }
    connection->CloseResultSet(rows);
    return list;
}

std::vector<SiteFolder> SiteStore::ListFolders()
{
    std::vector<SiteFolder> folders;
    failure = Failure::None;
    if (!HaveFolderTables())
        return folders;
    DatabaseResultSet* rows = connection->RunQueryWithResults(kListFolders);
    if (!rows) {
        Failed();
        return folders;
    }
    while (connection->NextRow(rows)) {
        SiteFolder folder;
        rows->GetString(1).ToLongLong(&folder.id);
        rows->GetString(2).ToLongLong(&folder.parent);
        rows->GetString(3).swap(folder.name);
        folders.push_back(folder);
    }
    connection->CloseResultSet(rows);
    return folders;
}

bool SiteStore::ChangeFolders(std::vector<Statement> statements, std::vector<int>* changed)
{
    if (TableCheck() <= 0)
        return false;
    statements.insert(statements.begin(), Statement{kFolderSchema, {}, true});
    std::vector<int> counts;
    if (!connection->RunTransaction(statements, &counts)) {
        Failed();
        AppLog::LogMessage(connection->LastError());
        return false;
    }
    counts.erase(counts.begin());
    if (changed)
        *changed = counts;
    return true;
}

long long SiteStore::AddFolder(long long parent, const wxString& name)
{
    if (!ChangeFolders({{"insert into shellyard_folder(parent, name) values (cast(? as integer), ?);",
                         {RowidText(parent), name}}}))
        return 0;
    long long id = 0;
    if (DatabaseResultSet* rows = connection->RunQueryWithResults(kInsertedRow)) {
        if (connection->NextRow(rows))
            rows->GetString(1).ToLongLong(&id);
        connection->CloseResultSet(rows);
    }
    return id;
}

int SiteStore::RenameFolder(long long id, const wxString& name)
{
    std::vector<int> changed;
    if (!ChangeFolders({{"update shellyard_folder set name = ? where id = cast(? as integer);", {name, RowidText(id)}}},
                       &changed))
        return 0;
    if (changed[0] == 0)
        failure = Failure::Gone;
    return changed[0] > 0 ? 1 : 0;
}

int SiteStore::DeleteFolder(long long id)
{
    // Sites and folders inside move up to the folder's parent; placements that come to the top
    // level are dropped, as the top level needs none.
    const wxString parentOf = "(select parent from shellyard_folder where id = cast(?1 as integer))";
    std::vector<int> changed;
    if (!ChangeFolders({{"update shellyard_site_folder set folder = " + parentOf + " where folder = cast(?1 as integer);",
                         {RowidText(id)}},
                        {"update shellyard_folder set parent = " + parentOf + " where parent = cast(?1 as integer);",
                         {RowidText(id)}},
                        {"delete from shellyard_folder where id = cast(? as integer);", {RowidText(id)}},
                        {"delete from shellyard_site_folder where folder = 0;", {}}},
                       &changed))
        return 0;
    if (changed[2] == 0)
        failure = Failure::Gone;
    return changed[2] > 0 ? 1 : 0;
}

int SiteStore::MoveSite(long long rowid, long long folder)
{
    const wxString site = RowidText(rowid);
    if (folder <= 0) {
        // The top level needs no placement; the site only has to be stored still.
        if (HaveFolderTables() &&
            !ChangeFolders({{"delete from shellyard_site_folder where site = cast(? as integer);", {site}}}))
            return 0;
        std::unique_ptr<SiteRecord> stored = FindOne(kFindRow, std::vector<wxString>{site});
        if (!stored)
            return 0;
        if (stored->rowid == 0)
            failure = Failure::Gone;
        return stored->rowid == 0 ? 0 : 1;
    }
    std::vector<int> changed;
    if (!ChangeFolders({{"insert or replace into shellyard_site_folder(site, folder) select cast(? as integer), "
                         "cast(? as integer) where exists (select 1 from tbl_hostsite where rowid = cast(? as integer));",
                         {site, RowidText(folder), site}}},
                       &changed))
        return 0;
    if (changed[0] == 0)
        failure = Failure::Gone;
    return changed[0] > 0 ? 1 : 0;
}

int SiteStore::MoveFolder(long long id, long long parent)
{
    std::vector<int> changed;
    if (!ChangeFolders({{"update shellyard_folder set parent = cast(? as integer) where id = cast(? as integer);",
                         {RowidText(parent), RowidText(id)}}},
                       &changed))
        return 0;
    if (changed[0] == 0)
        failure = Failure::Gone;
    return changed[0] > 0 ? 1 : 0;
}

long long SiteStore::ImportSites(const wxString& folderName, std::vector<SiteRecord>& records)
{
    if (TableCheck() <= 0)
        return 0;
    std::vector<Statement> statements = {{kFolderSchema, {}, true},
                                         {kLoginSchema, {}, true},
                                         {"insert into shellyard_folder(parent, name) values (0, ?);", {folderName}},
                                         {"create temporary table if not exists shellyard_import(folder integer);", {}},
                                         {"delete from shellyard_import;", {}},
                                         {"insert into shellyard_import values (last_insert_rowid());", {}}};
    statements.reserve(statements.size() + 3 * records.size() + 1);
    const wxString insert = wxString(kInsertPrefix) + kInsertValues;
    for (const SiteRecord& record : records) {
        statements.push_back({insert,
                              {record.hostpasswd, record.hostuser, record.hosttype, record.hostip, record.hostname,
                               record.hostport, record.hostpostcommand, record.hostcomments}});
        statements.push_back({kLoginInserted, {record.keyfile, record.puttysession}});
        statements.push_back({"insert into shellyard_site_folder(site, folder) select last_insert_rowid(), folder "
                              "from shellyard_import;",
                              {}});
    }
    if (!connection->RunTransaction(statements)) {
        Failed();
        AppLog::LogMessage(connection->LastError());
        return 0;
    }
    long long folder = 0;
    if (DatabaseResultSet* rows = connection->RunQueryWithResults("select folder from shellyard_import;")) {
        if (connection->NextRow(rows))
            rows->GetString(1).ToLongLong(&folder);
        connection->CloseResultSet(rows);
    }
    // The rows were inserted one after the other: their rowids follow each other unless rows were
    // deleted at the end of the table meanwhile, so they are read back by folder.
    if (DatabaseResultSet* rows = connection->RunQueryWithResults(
            "select site from shellyard_site_folder where folder = cast(? as integer) order by site;",
            {RowidText(folder)})) {
        for (size_t i = 0; i < records.size() && connection->NextRow(rows); ++i) {
            rows->GetString(1).ToLongLong(&records[i].rowid);
            records[i].folder = folder;
        }
        connection->CloseResultSet(rows);
    }
    return folder;
}

int SiteStore::Close()
{
    if (connection && opened)
        connection->Close();
    connection.reset();
    opened = false;
    return 1;
}
