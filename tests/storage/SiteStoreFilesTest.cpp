// The site store on files it did not make: without the table, not a database at all, truncated,
// in a missing folder, and refusing writes. An existing file is never changed by the store.
#include "StorageTestSupport.h"
#include "storage/SiteStore.h"

#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
wxInitializer toolkit;

class SiteStoreFilesTest : public SiteStorageTest {
protected:
    // Runs every site operation once on a fresh store over DbPath(); each must be refused with the
    // "incorrect" message, and the file must stay byte for byte what it was.
    void ExpectEveryOperationRefused()
    {
        const std::string before = ReadFile(DbPath());
        {
            RecordingSink sink;
            SiteStore store(&sink);
            EXPECT_EQ(store.Open(DbPath()), 1) << "SQLite reads the file only when it is used";
            EXPECT_TRUE(sink.messages.empty());
            EXPECT_EQ(store.AddSite(Site("10.0.0.1", "web")), -1);
            EXPECT_EQ(store.DeleteSite("10.0.0.1", "web"), -1);
            EXPECT_EQ(store.FindSite("10.0.0.1", "web"), nullptr);
            EXPECT_EQ(store.ListSites(), nullptr);
            ASSERT_EQ(sink.messages.size(), 4u) << "one message per operation";
            for (const auto& message : sink.messages) {
                EXPECT_EQ(message.text, kIncorrect);
                EXPECT_EQ(message.caption, "Shellyard");
                EXPECT_EQ(message.style, wxOK | wxICON_ERROR);
            }
            lastError = store.LastError();
            EXPECT_EQ(store.Close(), 1);
        }
        EXPECT_TRUE(ReadFile(DbPath()) == before) << "the file was changed";
        EXPECT_FALSE(FileExists(DbPath() + "-journal"));
    }

    wxString lastError;
};

TEST_F(SiteStoreFilesTest, DatabaseWithoutTheSiteTable)
{
    {
        RawDb setup(DbPath());
        ASSERT_EQ(setup.Exec("create table other(a text); insert into other values('keep me');"), SQLITE_OK);
    }
    ExpectEveryOperationRefused();
    RawDb outside(DbPath());
    EXPECT_EQ(outside.Text("select count(*) from sqlite_master where name = 'tbl_hostsite';"), "0");
}

TEST_F(SiteStoreFilesTest, EmptyFileStaysEmpty)
{
    WriteFile(DbPath(), "");
    ExpectEveryOperationRefused();
    EXPECT_EQ(fs::file_size(DbPath()), 0u);
}

TEST_F(SiteStoreFilesTest, FileOfRandomBytes)
{
    std::mt19937 random(4711);
    std::string bytes(16384, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    WriteFile(DbPath(), bytes);
    ExpectEveryOperationRefused();
    EXPECT_EQ(lastError, "[ErrNo=26,ErrMsg=file is not a database]");
}

// A site table of several pages, filled in one transaction.
void FillSites(const std::string& path, int count, bool withIndex)
{
    RawDb db(path);
    ASSERT_EQ(db.Exec("create table tbl_hostsite(hostpasswd text, hostuser text, hosttype text, hostip text,"
                      " hostname text, hostport text, hostpostcommand text, hostcomments text);"),
              SQLITE_OK);
    if (withIndex) {
        ASSERT_EQ(db.Exec("create index idx on tbl_hostsite(hostip, hostname);"), SQLITE_OK);
    }
    ASSERT_EQ(db.Exec("begin;"), SQLITE_OK);
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(db.Exec("insert into tbl_hostsite values('pw', 'user', 'ssh', '10.0.0." + std::to_string(i) +
                          "', 'site " + std::to_string(i) + "', '22', '', '');"),
                  SQLITE_OK);
    ASSERT_EQ(db.Exec("commit;"), SQLITE_OK);
}

TEST_F(SiteStoreFilesTest, DamagedPageEndsReadingWithTheRowsBefore)
{
    FillSites(DbPath(), 300, false);
    // Spoil the header of the last page, a leaf that holds the last rows.
    const auto size = fs::file_size(DbPath());
    ASSERT_GE(size, 4 * 4096u);
    {
        std::string bytes = ReadFile(DbPath());
        std::fill_n(bytes.begin() + static_cast<long>(size - 4096), 8, '\xff');
        WriteFile(DbPath(), bytes);
    }
    const std::string before = ReadFile(DbPath());
    RecordingSink sink;
    SiteStore store(&sink);
    ASSERT_EQ(store.Open(DbPath()), 1);
    wxLogNull quiet;  // the layer's own error line

    std::unique_ptr<SiteList> list = store.ListSites();
    ASSERT_NE(list, nullptr);
    EXPECT_GT(list->GetCount(), 0u);
    EXPECT_LT(list->GetCount(), 300u);
    for (std::size_t i = 0; i < list->GetCount(); ++i)
        ASSERT_EQ(list->Item(i).hostname, wxString::Format("site %zu", i));
    EXPECT_EQ(store.LastError(), "Execute SqlClause Exception![11,database disk image is malformed]");

    // The lookup scans the whole table: it finds its row, then meets the damage.
    std::unique_ptr<SiteRecord> found = store.FindSite("10.0.0.5", "site 5");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->hostname, "site 5");
    EXPECT_EQ(found->hostpasswd, "pw");
    EXPECT_TRUE(sink.messages.empty()) << "a failed read shows nothing";
    store.Close();
    EXPECT_TRUE(ReadFile(DbPath()) == before);
}

TEST_F(SiteStoreFilesTest, TruncatedDatabase)
{
    FillSites(DbPath(), 300, true);
    const auto size = fs::file_size(DbPath());
    ASSERT_GT(size, 4 * 4096u);
    fs::resize_file(DbPath(), size / 2);
    ExpectEveryOperationRefused();
    EXPECT_EQ(lastError, "[ErrNo=11,ErrMsg=database disk image is malformed]");
}

TEST_F(SiteStoreFilesTest, MissingFolderFailsWithoutLeavingAFile)
{
    RecordingSink sink;
    SiteStore store(&sink);
    const std::string path = root + "/missing/Shellyard.db";
    EXPECT_EQ(store.Open(path), -1);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Can't find database [" + path + "]! will create a new one!");
    EXPECT_FALSE(FileExists(path));
    EXPECT_NE(LogText().find("Create database [" + path + "] failed! Reason: [ErrNo=14,ErrMsg=unable to open "
                             "database file]"),
              std::string::npos)
        << LogText();
    EXPECT_EQ(store.ListSites(), nullptr);
    EXPECT_EQ(sink.messages.back().text, kIncorrect);
}

TEST_F(SiteStoreFilesTest, FileThatSqliteCannotOpenIsReportedWithTheReason)
{
    // SQLite refuses paths longer than 512 bytes; the file system takes them.
    std::string dir = root;
    while (dir.size() < 600)
        dir += "/" + std::string(100, 'd');
    fs::create_directories(dir);
    const std::string path = dir + "/Shellyard.db";
    WriteFile(path, "precious");
    RecordingSink sink;
    SiteStore store(&sink);
    EXPECT_EQ(store.Open(path), -1);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text,
              "Open database [" + path + "] failed! Reason: [ErrNo=14,ErrMsg=unable to open database file]");
    EXPECT_EQ(sink.messages[0].caption, "Shellyard");
    EXPECT_EQ(sink.messages[0].style, wxOK | wxICON_ERROR);
    EXPECT_EQ(store.FindSite("a", "b"), nullptr);
    EXPECT_EQ(sink.messages.back().text, kIncorrect);
    EXPECT_EQ(ReadFile(path), "precious");
}

TEST_F(SiteStoreFilesTest, InsertRefusedByTheDatabaseIsLogged)
{
    RecordingSink sink;
    SiteStore store(&sink);
    ASSERT_EQ(store.Open(DbPath()), 1);
    {
        RawDb setup(DbPath());
        ASSERT_EQ(setup.Exec("create trigger full before insert on tbl_hostsite "
                             "begin select raise(abort, 'no more sites'); end;"),
                  SQLITE_OK);
    }
    EXPECT_EQ(store.AddSite(Site("10.0.0.1", "web")), 0);
    EXPECT_NE(LogText().find("[ErrNo=19,ErrMsg=no more sites]"), std::string::npos) << LogText();
    EXPECT_EQ(sink.messages.size(), 1u) << "only the creation notice; a failed insert is only logged";
}

TEST_F(SiteStoreFilesTest, InsertIntoADatabaseLockedByAnotherWriter)
{
    RecordingSink sink;
    SiteStore store(&sink);
    ASSERT_EQ(store.Open(DbPath()), 1);
    ASSERT_EQ(store.AddSite(Site("10.0.0.1", "web")), 1);
    RawDb other(DbPath());
    ASSERT_EQ(other.Exec("begin immediate;"), SQLITE_OK);
    EXPECT_EQ(store.AddSite(Site("10.0.0.2", "blocked")), 0);
    EXPECT_NE(LogText().find("[ErrNo=5,ErrMsg=database is locked]"), std::string::npos) << LogText();
    EXPECT_EQ(store.DeleteSite("10.0.0.1", "web"), 0);
    // Readers are not blocked by a pending writer.
    ASSERT_NE(store.ListSites(), nullptr);
    EXPECT_EQ(store.ListSites()->GetCount(), 1u);
    ASSERT_EQ(other.Exec("commit;"), SQLITE_OK);
    EXPECT_EQ(store.AddSite(Site("10.0.0.2", "later")), 1);
    EXPECT_EQ(sink.messages.size(), 1u);
}

TEST_F(SiteStoreFilesTest, InsertIntoAReadOnlyFileIsLogged)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "file permissions do not stop root; the locked-database test covers refused inserts";
    {
        SiteStore setup(nullptr);
        ASSERT_EQ(setup.Open(DbPath()), 1);
        ASSERT_EQ(setup.AddSite(Site("10.0.0.1", "web")), 1);
    }
    chmod(DbPath().c_str(), 0444);
    const std::string before = ReadFile(DbPath());
    RecordingSink sink;
    SiteStore store(&sink);
    ASSERT_EQ(store.Open(DbPath()), 1);
    EXPECT_EQ(store.AddSite(Site("10.0.0.2", "x")), 0);
    EXPECT_NE(LogText().find("[ErrNo=8,ErrMsg=attempt to write a readonly database]"), std::string::npos)
        << LogText();
    EXPECT_EQ(store.ListSites()->GetCount(), 1u);
    EXPECT_TRUE(sink.messages.empty());
    store.Close();
    EXPECT_TRUE(ReadFile(DbPath()) == before);
}
}  // namespace
