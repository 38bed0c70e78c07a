#pragma once
// Shared pieces of the storage tests: a private database path per test, a second plain SQLite
// connection to look at files from outside the code under test, and a log recorder.
#include "support/TempDirs.h"

#include <sqlite3.h>
#include <string>
#include <vector>
#include <wx/init.h>
#include <wx/log.h>

// A plain sqlite3 handle for setting up and inspecting files independently of the layer.
class RawDb {
public:
    explicit RawDb(const std::string& path) { sqlite3_open(path.c_str(), &db); }
    ~RawDb() { sqlite3_close_v2(db); }
    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;

    // Runs sql; returns SQLite's result code.
    int Exec(const std::string& sql) { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr); }
    // The first column of the first row as text ("<null>" for NULL, "<none>" without a row).
    std::string Text(const std::string& sql)
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            return "<error: " + std::string(sqlite3_errmsg(db)) + ">";
        std::string value = "<none>";
        if (sqlite3_step(statement) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(statement, 0);
            value = text ? reinterpret_cast<const char*>(text) : "<null>";
        }
        sqlite3_finalize(statement);
        return value;
    }
    sqlite3* Handle() { return db; }

private:
    sqlite3* db = nullptr;
};

// Collects the toolkit's log messages while it is the active target.
class LogRecorder : public wxLog {
public:
    LogRecorder() : previous(wxLog::SetActiveTarget(this)) {}
    ~LogRecorder() override { wxLog::SetActiveTarget(previous); }

    std::vector<std::pair<wxLogLevel, wxString>> entries;

protected:
    void DoLogRecord(wxLogLevel level, const wxString& msg, const wxLogRecordInfo&) override
    {
        entries.emplace_back(level, msg);
    }

private:
    wxLog* previous;
};

class StorageTest : public TempDirsTest {
protected:
    std::string DbPath() const { return root + "/test.db"; }
};

#include "app/AppConfig.h"
#include "storage/SiteRecord.h"
#include "storage/StoreMessageSink.h"

// Keeps what the store would have shown in message boxes.
class RecordingSink : public StoreMessageSink {
public:
    struct Message {
        wxString text;
        wxString caption;
        long style;
    };
    void ShowMessage(const wxString& message, const wxString& caption, long style) override
    {
        messages.push_back({message, caption, style});
    }
    std::vector<Message> messages;
};

// A store test: the log goes to workDir/Shellyard.txt and is closed after each test.
class SiteStorageTest : public StorageTest {
protected:
    void TearDown() override
    {
        AppConfig::Shutdown();
        StorageTest::TearDown();
    }
    std::string LogText() const { return ReadFile(workDir + "/Shellyard.txt"); }

    static SiteRecord Site(const wxString& hostip, const wxString& hostname, const wxString& user = "root",
                           const wxString& password = "secret", const wxString& type = "ssh",
                           const wxString& port = "22")
    {
        SiteRecord site;
        site.hostpasswd = password;
        site.hostuser = user;
        site.hosttype = type;
        site.hostip = hostip;
        site.hostname = hostname;
        site.hostport = port;
        return site;
    }
    static SiteRecord SameInEveryField(const wxString& value)
    {
        SiteRecord site;
        site.hostpasswd = site.hostuser = site.hosttype = site.hostip = value;
        site.hostname = site.hostport = site.hostpostcommand = site.hostcomments = value;
        return site;
    }
};

inline bool operator==(const SiteRecord& a, const SiteRecord& b)
{
    return a.hostpasswd == b.hostpasswd && a.hostuser == b.hostuser && a.hosttype == b.hosttype &&
           a.hostip == b.hostip && a.hostname == b.hostname && a.hostport == b.hostport &&
           a.hostpostcommand == b.hostpostcommand && a.hostcomments == b.hostcomments;
}

inline std::ostream& operator<<(std::ostream& out, const SiteRecord& s)
{
    return out << "{" << s.hostpasswd.utf8_string().substr(0, 40) << "|" << s.hostuser.utf8_string().substr(0, 40)
               << "|" << s.hosttype << "|" << s.hostip.utf8_string().substr(0, 40) << "|"
               << s.hostname.utf8_string().substr(0, 40) << "|" << s.hostport << "|" << s.hostpostcommand.length()
               << "|" << s.hostcomments.length() << "}";
}

inline const char* const kIncorrect =
    "The Database file is incorrect! Please reinstall the software or recreate database.";
