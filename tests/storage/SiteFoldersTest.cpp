// Folders, the copy of the database and locks held by other programs, on real files: the site
// table keeps its eight columns, placements follow rows changed by any program, a folder's
// contents move up in one transaction, and a lock is waited for as long as the busy timeout.
#include "StorageTestSupport.h"
#include "storage/SiteStore.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace {
wxInitializer toolkit;

class SiteFoldersTest : public SiteStorageTest {
protected:
    void SetUp() override
    {
        SiteStorageTest::SetUp();
        ASSERT_EQ(store.Open(DbPath()), 1);
        sink.messages.clear();  // the creation notice
    }
    // rowid -> folder of every listed site, in list order.
    std::vector<std::pair<long long, long long>> Placements()
    {
        std::vector<std::pair<long long, long long>> placements;
        std::unique_ptr<SiteList> sites = store.ListSites();
        for (std::size_t i = 0; sites && i < sites->GetCount(); ++i)
            placements.emplace_back(sites->Item(i).rowid, sites->Item(i).folder);
        return placements;
    }
    std::string OwnTables(RawDb& db)
    {
        return db.Text("select count(*) from sqlite_master where name like 'shellyard_%';");
    }

    RecordingSink sink;
    SiteStore store{&sink};
};

TEST_F(SiteFoldersTest, FoldersLiveInTablesOfTheirOwnAndFollowRowsChangedByAnyProgram)
{
    long long web = 0, mail = 0, db = 0;
    ASSERT_EQ(store.AddSite(Site("10.0.0.1", "web"), &web), 1);
    ASSERT_EQ(store.AddSite(Site("10.0.0.2", "mail"), &mail), 1);
    ASSERT_EQ(store.AddSite(Site("10.0.0.3", "db"), &db), 1);
    {
        // Reading folders of a file that has none writes nothing.
        EXPECT_TRUE(store.ListFolders().empty());
        EXPECT_EQ(store.FindSiteByRowid(web)->folder, 0);
        RawDb outside(DbPath());
        EXPECT_EQ(OwnTables(outside), "0");
    }

    const long long customers = store.AddFolder(0, "Customers");
    const long long acme = store.AddFolder(customers, "ACME 'quoted' %s");
    ASSERT_GT(customers, 0);
    ASSERT_GT(acme, customers);
    EXPECT_EQ(store.MoveSite(mail, acme), 1);
    EXPECT_EQ(store.MoveSite(db, customers), 1);
    EXPECT_EQ(Placements(), (std::vector<std::pair<long long, long long>>{{web, 0}, {mail, acme}, {db, customers}}));
    std::vector<SiteFolder> folders = store.ListFolders();
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[1].name, "ACME 'quoted' %s");
    EXPECT_EQ(folders[1].parent, customers);
    EXPECT_EQ(store.FindSiteByRowid(mail)->folder, acme);

    // A site that is not stored cannot be placed.
    EXPECT_EQ(store.MoveSite(db + 100, acme), 0);
    EXPECT_EQ(store.LastFailure(), SiteStore::Failure::Gone);
    EXPECT_EQ(store.RenameFolder(acme + 100, "x"), 0);
    EXPECT_EQ(store.LastFailure(), SiteStore::Failure::Gone);

    {
        // A program that knows no folders sees its eight columns and every site; what it deletes
        // takes its placement along, and a row it adds later under a reused rowid starts at the top.
        RawDb older(DbPath());
        sqlite3_stmt* all = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(older.Handle(), "SELECT * FROM tbl_hostsite", -1, &all, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_column_count(all), 8);
        sqlite3_finalize(all);
        EXPECT_EQ(older.Text("select count(*) from tbl_hostsite;"), "3");
        ASSERT_EQ(older.Exec("delete from tbl_hostsite where hostname = 'db';"), SQLITE_OK);
        EXPECT_EQ(older.Text("select count(*) from shellyard_site_folder;"), "1");
        // A placement left behind (by a program that dropped the triggers, say) is not inherited.
        ASSERT_EQ(older.Exec("insert into shellyard_site_folder values(" + std::to_string(db) + ", " +
                             std::to_string(acme) + ");"),
                  SQLITE_OK);
        ASSERT_EQ(older.Exec("insert into tbl_hostsite values('', '', 'ssh', '10.0.0.4', 'new', '22', '', '');"),
                  SQLITE_OK);
        EXPECT_EQ(older.Text("select max(rowid) from tbl_hostsite;"), std::to_string(db));
    }
    EXPECT_EQ(Placements(), (std::vector<std::pair<long long, long long>>{{web, 0}, {mail, acme}, {db, 0}}));

    // A site added into a folder is stored with its place in one go.
    SiteRecord copy = Site("10.0.0.2", "mail (copy)");
    copy.folder = acme;
    long long copied = 0;
    ASSERT_EQ(store.AddSite(copy, &copied), 1);
    EXPECT_EQ(store.FindSiteByRowid(copied)->folder, acme);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(SiteFoldersTest, DeletingAFolderMovesAThousandSitesUpInOneTransaction)
{
    const long long outer = store.AddFolder(0, "outer");
    const long long full = store.AddFolder(outer, "full");
    const long long inner = store.AddFolder(full, "inner");
    {
        RawDb fill(DbPath());
        ASSERT_EQ(fill.Exec("begin;"), SQLITE_OK);
        for (int i = 0; i < 1000; ++i)
            ASSERT_EQ(fill.Exec("insert into tbl_hostsite values('', '', 'ssh', '10.2.0." + std::to_string(i) +
                                "', 's" + std::to_string(i) + "', '22', '', '');"),
                      SQLITE_OK);
        ASSERT_EQ(fill.Exec("insert into shellyard_site_folder select rowid, " + std::to_string(full) +
                            " from tbl_hostsite;"),
                  SQLITE_OK);
        ASSERT_EQ(fill.Exec("commit;"), SQLITE_OK);
        // Refuses the last of the thousand moves: nothing of the deletion may stay.
        ASSERT_EQ(fill.Exec("create trigger refuse before update on shellyard_site_folder when old.site = 1000 "
                            "begin select raise(abort, 'refused'); end;"),
                  SQLITE_OK);
    }
    EXPECT_EQ(store.DeleteFolder(full), 0);
    EXPECT_EQ(store.LastFailure(), SiteStore::Failure::Other);
    for (const auto& placement : Placements())
        ASSERT_EQ(placement.second, full);
    ASSERT_EQ(store.ListFolders().size(), 3u);
    {
        RawDb fix(DbPath());
        ASSERT_EQ(fix.Exec("drop trigger refuse;"), SQLITE_OK);
    }
    EXPECT_EQ(store.DeleteFolder(full), 1);
    std::vector<std::pair<long long, long long>> placements = Placements();
    ASSERT_EQ(placements.size(), 1000u);
    for (const auto& placement : placements)
        ASSERT_EQ(placement.second, outer);
    std::vector<SiteFolder> folders = store.ListFolders();
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[1].id, inner);
    EXPECT_EQ(folders[1].parent, outer);

    // From the top level they need no placement at all.
    EXPECT_EQ(store.DeleteFolder(outer), 1);
    RawDb outside(DbPath());
    EXPECT_EQ(outside.Text("select count(*) from shellyard_site_folder;"), "0");
    EXPECT_EQ(store.ListFolders()[0].parent, 0);
}

TEST_F(SiteFoldersTest, DeletingAllSitesAfterACopyOfTheWholeFile)
{
    ASSERT_EQ(store.AddSite(Site("10.0.0.1", "web")), 1);
    ASSERT_EQ(store.AddSite(Site("10.0.0.2", "mail", "root", wxString::FromUTF8("pä'ss"))), 1);
    const long long folder = store.AddFolder(0, "Mail servers");
    ASSERT_EQ(store.MoveSite(2, folder), 1);
    const std::string copy = root + "/Shellyard.db.bak";
    WriteFile(copy, "an older copy");

    // A copy that cannot be made leaves the older one as it was.
    std::filesystem::create_directory(copy + ".part");
    std::filesystem::create_directory(copy + ".part/x");
    EXPECT_FALSE(store.BackUp(copy));
    EXPECT_EQ(ReadFile(copy), "an older copy");
    std::filesystem::remove_all(copy + ".part");

    ASSERT_TRUE(store.BackUp(copy));
    EXPECT_EQ(std::filesystem::status(copy).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_FALSE(FileExists(copy + ".part"));
    EXPECT_EQ(store.CountSites(), 2);
    EXPECT_EQ(store.DeleteAllSites(), 2);
    EXPECT_EQ(store.CountSites(), 0);
    EXPECT_TRUE(store.ListFolders().empty());

    SiteStore restored(nullptr);
    ASSERT_EQ(restored.Open(copy), 1);
    std::unique_ptr<SiteList> sites = restored.ListSites();
    ASSERT_EQ(sites->GetCount(), 2u);
    EXPECT_EQ(sites->Item(1).hostpasswd, wxString::FromUTF8("pä'ss"));
    EXPECT_EQ(sites->Item(1).folder, folder);
    EXPECT_EQ(restored.ListFolders().at(0).name, "Mail servers");
}

// Another program holds an exclusive lock (reads wait too, the table check among them) for 3 s,
// then for 8 s: the store waits up to its busy timeout, stores what comes within it, and says
// "busy" rather than "incorrect" after it.
TEST_F(SiteFoldersTest, ALockHeldElsewhereIsWaitedForAndThenReportedAsBusy)
{
    using namespace std::chrono;
    ASSERT_EQ(store.AddSite(Site("10.0.0.1", "web")), 1);
    auto holdLock = [this](const char* kind, milliseconds time) {
        auto holder = std::make_unique<RawDb>(DbPath());
        EXPECT_EQ(holder->Exec(std::string("begin ") + kind + ";"), SQLITE_OK);
        return std::thread([holder = std::move(holder), time]() mutable {
            std::this_thread::sleep_for(time);
            holder->Exec("commit;");
        });
    };

    std::thread brief = holdLock("exclusive", milliseconds(3000));
    auto start = steady_clock::now();
    EXPECT_EQ(store.AddSite(Site("10.0.0.2", "waited")), 1);
    EXPECT_GE(steady_clock::now() - start, milliseconds(2500));
    brief.join();

    std::thread longer = holdLock("exclusive", milliseconds(8000));
    start = steady_clock::now();
    EXPECT_EQ(store.AddSite(Site("10.0.0.3", "refused")), 0);
    EXPECT_EQ(store.LastFailure(), SiteStore::Failure::Busy);
    EXPECT_GE(steady_clock::now() - start, milliseconds(4500));
    EXPECT_LT(steady_clock::now() - start, milliseconds(7900));
    longer.join();
    EXPECT_TRUE(sink.messages.empty()) << "a busy file is not called incorrect";
    EXPECT_EQ(store.ListSites()->GetCount(), 2u);
}
}  // namespace

TEST_F(SiteFoldersTest, KeyFileAndPuttySessionLiveBesideTheRowAndFollowIt)
{
    long long plain = 0, keyed = 0;
    ASSERT_EQ(store.AddSite(Site("10.0.0.1", "plain"), &plain), 1);
    {
        RawDb outside(DbPath());
        EXPECT_EQ(OwnTables(outside), "0");  // a site without key or session makes no table
    }
    SiteRecord site = Site("10.0.0.2", "keyed");
    site.keyfile = "/home/me/.ssh/id 'x'.ppk";
    site.puttysession = "Office proxy";
    site.folder = store.AddFolder(0, "Imported");
    ASSERT_EQ(store.AddSite(site, &keyed), 1);

    std::unique_ptr<SiteRecord> read = store.FindSiteByRowid(keyed);
    EXPECT_EQ(read->keyfile, site.keyfile);
    EXPECT_EQ(read->puttysession, "Office proxy");
    EXPECT_EQ(read->folder, site.folder);
    EXPECT_EQ(store.FindSite("10.0.0.2", "keyed")->keyfile, site.keyfile);
    EXPECT_TRUE(store.FindSiteByRowid(plain)->keyfile.empty());
    std::unique_ptr<SiteList> listed = store.ListSites();
    ASSERT_EQ(listed->GetCount(), 2u);
    EXPECT_TRUE(listed->Item(0).puttysession.empty());
    EXPECT_EQ(listed->Item(1).puttysession, "Office proxy");

    // tbl_hostsite keeps its eight columns; the login sits in its own table.
    RawDb outside(DbPath());
    EXPECT_EQ(outside.Text("select count(*) from pragma_table_info('tbl_hostsite');"), "8");
    EXPECT_EQ(outside.Text("select keyfile || '|' || session from shellyard_site_login;"),
              "/home/me/.ssh/id 'x'.ppk|Office proxy");

    // Changed with the row, dropped when both are emptied, and gone with a row deleted by anyone.
    read->keyfile = "/k.ppk";
    ASSERT_EQ(store.UpdateSite(*read), 1);
    EXPECT_EQ(store.FindSiteByRowid(keyed)->keyfile, "/k.ppk");
    read->keyfile.clear();
    read->puttysession.clear();
    ASSERT_EQ(store.UpdateSite(*read), 1);
    EXPECT_EQ(outside.Text("select count(*) from shellyard_site_login;"), "0");
    read->keyfile = "/k.ppk";
    ASSERT_EQ(store.UpdateSite(*read), 1);
    outside.Exec("delete from tbl_hostsite where hostname = 'keyed';");
    EXPECT_EQ(outside.Text("select count(*) from shellyard_site_login;"), "0");
    long long again = 0;
    ASSERT_EQ(store.AddSite(Site("10.0.0.3", "new"), &again), 1);
    EXPECT_TRUE(store.FindSiteByRowid(again)->keyfile.empty());
}
