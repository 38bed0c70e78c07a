// The site store on a database that it created: adding, finding, deleting and listing sites,
// with values that would break a statement built by pasting text.
#include "StorageTestSupport.h"
#include "storage/SiteStore.h"

namespace {
wxInitializer toolkit;

class SiteStoreTest : public SiteStorageTest {
protected:
    void SetUp() override
    {
        SiteStorageTest::SetUp();
        store = std::make_unique<SiteStore>(&sink);
        ASSERT_EQ(store->Open(DbPath()), 1);
        sink.messages.clear();
    }
    void TearDown() override
    {
        store.reset();
        SiteStorageTest::TearDown();
    }
    // The one row of the list that has this display name.
    static const SiteRecord* Named(const SiteList& list, const wxString& name)
    {
        for (std::size_t i = 0; i < list.GetCount(); ++i)
            if (list.Item(i).hostname == name)
                return &list.Item(i);
        return nullptr;
    }

    RecordingSink sink;
    std::unique_ptr<SiteStore> store;
};

TEST_F(SiteStoreTest, MissingFileIsAnnouncedAndCreatedWithTheSiteTable)
{
    RecordingSink fresh;
    SiteStore other(&fresh);
    const std::string path = root + "/fresh.db";
    EXPECT_EQ(other.Open(path), 1);
    ASSERT_EQ(fresh.messages.size(), 1u);
    EXPECT_EQ(fresh.messages[0].text, "Can't find database [" + path + "]! will create a new one!");
    EXPECT_EQ(fresh.messages[0].caption, "Shellyard");
    EXPECT_EQ(fresh.messages[0].style, wxOK | wxICON_INFORMATION);

    RawDb outside(path);
    EXPECT_EQ(outside.Text("select group_concat(name || ':' || type) from pragma_table_info('tbl_hostsite');"),
              "hostpasswd:TEXT,hostuser:TEXT,hosttype:TEXT,hostip:TEXT,hostname:TEXT,hostport:TEXT,"
              "hostpostcommand:TEXT,hostcomments:TEXT");
    EXPECT_EQ(outside.Text("select group_concat(ii.name) from sqlite_master m, pragma_index_info(m.name) ii "
                           "where m.type = 'index' and m.tbl_name = 'tbl_hostsite';"),
              "hostip,hostname");

    std::unique_ptr<SiteList> list = other.ListSites();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->IsEmpty());
    EXPECT_EQ(fresh.messages.size(), 1u) << "the new file needs no further message";

    // Opening it again finds it: no message.
    SiteStore again(&fresh);
    EXPECT_EQ(again.Open(path), 1);
    EXPECT_EQ(fresh.messages.size(), 1u);
    EXPECT_EQ(again.Create(path), 0) << "an existing file is left alone";
}

TEST_F(SiteStoreTest, AddedSiteReadsBackExactly)
{
    SiteRecord site = Site("10.0.0.1", "web", "admin", " p@ss w'rd\t%s\\n ", "ssh", "2222");
    EXPECT_EQ(store->AddSite(site), 1);
    std::unique_ptr<SiteRecord> found = store->FindSite("10.0.0.1", "web");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*found, site);
    EXPECT_EQ(found->hostpasswd, " p@ss w'rd\t%s\\n ");

    // Empty fields are stored as empty text, never left out or made NULL.
    EXPECT_EQ(store->AddSite(Site("10.0.0.2", "telnet box", "", "", "telnet", "23")), 1);
    RawDb outside(DbPath());
    EXPECT_EQ(outside.Text("select typeof(hostpasswd) || typeof(hostuser) || typeof(hostpostcommand) || "
                           "typeof(hostcomments) || ':' || hostpasswd || hostuser || hostpostcommand || hostcomments "
                           "from tbl_hostsite where hostip = '10.0.0.2';"),
              "texttexttexttext:");
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(SiteStoreTest, FindingAPairThatIsNotStoredGivesEightEmptyFields)
{
    store->AddSite(Site("10.0.0.1", "web"));
    std::unique_ptr<SiteRecord> found = store->FindSite("10.0.0.1", "Web");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*found, SiteRecord());
    found = store->FindSite("", "");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*found, SiteRecord());
}

TEST_F(SiteStoreTest, PairStoredTwiceIsFoundAsTheLaterRowAndDeletedTogether)
{
    store->AddSite(Site("10.0.0.1", "web", "first", "one"));
    store->AddSite(Site("10.0.0.9", "other"));
    store->AddSite(Site("10.0.0.1", "web", "second", "two"));
    std::unique_ptr<SiteRecord> found = store->FindSite("10.0.0.1", "web");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->hostuser, "second");
    EXPECT_EQ(found->hostpasswd, "two");

    EXPECT_EQ(store->DeleteSite("10.0.0.1", "web"), 2);
    EXPECT_EQ(*store->FindSite("10.0.0.1", "web"), SiteRecord());
    EXPECT_EQ(store->DeleteSite("10.0.0.1", "web"), 0);
    EXPECT_EQ(store->DeleteSite("10.0.0.9", "other "), 0) << "the pair is matched exactly";
    EXPECT_EQ(store->ListSites()->GetCount(), 1u);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(LogText(), "") << "deleting nothing is not an error";
}

TEST_F(SiteStoreTest, ListingGivesEveryRowInStoredOrder)
{
    std::unique_ptr<SiteList> empty = store->ListSites();
    ASSERT_NE(empty, nullptr) << "an empty table is an empty list, not a failure";
    EXPECT_EQ(empty->GetCount(), 0u);

    std::vector<SiteRecord> sites;
    for (int i = 0; i < 5; ++i) {
        sites.push_back(Site(wxString::Format("10.0.0.%d", 5 - i), wxString::Format("site %d", i)));
        sites.back().hostcomments = wxString::Format("comment %d", i);
        ASSERT_EQ(store->AddSite(sites.back()), 1);
    }
    std::unique_ptr<SiteList> list = store->ListSites();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetCount(), sites.size());
    for (std::size_t i = 0; i < sites.size(); ++i)
        EXPECT_EQ(list->Item(i), sites[i]) << "row " << i;
}

TEST_F(SiteStoreTest, HostileValuesAreStoredAndReadBackExactly)
{
    const wxString values[] = {
        "'; drop table tbl_hostsite; --",
        wxString(10000, 'x') + "'" + wxString(10000, ';'),
        wxString::FromUTF8("ä€😀"),
        "%s %d %n \\ \\' \" '' ` $(reboot) \r\n\t end",
    };
    for (const wxString& value : values) {
        SCOPED_TRACE(value.Left(40).utf8_string());
        const SiteRecord site = SameInEveryField(value);
        ASSERT_EQ(store->AddSite(site), 1);
        std::unique_ptr<SiteRecord> found = store->FindSite(value, value);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(*found, site);
    }
    std::unique_ptr<SiteList> list = store->ListSites();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetCount(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(list->Item(i), SameInEveryField(values[i]));

    RawDb outside(DbPath());
    EXPECT_EQ(outside.Text("select count(*) from tbl_hostsite;"), "4") << "the table is intact";
    EXPECT_EQ(outside.Text("select hex(hostpasswd) from tbl_hostsite where rowid = 3;"), "C3A4E282ACF09F9880");
    EXPECT_EQ(outside.Text("select length(hostcomments) from tbl_hostsite where rowid = 2;"), "20001");

    // Deleting by a hostile pair removes exactly that row.
    EXPECT_EQ(store->DeleteSite(values[0], values[0]), 1);
    EXPECT_EQ(store->DeleteSite(values[3], values[3]), 1);
    EXPECT_EQ(outside.Text("select count(*) from tbl_hostsite;"), "2");
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(SiteStoreTest, ClosedStoreReportsTheTableMissingAndDoesNotCrash)
{
    store->AddSite(Site("10.0.0.1", "web"));
    EXPECT_EQ(store->Close(), 1);
    EXPECT_EQ(store->Close(), 1);
    EXPECT_EQ(store->AddSite(Site("10.0.0.2", "x")), -1);
    EXPECT_EQ(store->DeleteSite("10.0.0.1", "web"), -1);
    EXPECT_EQ(store->FindSite("10.0.0.1", "web"), nullptr);
    EXPECT_EQ(store->ListSites(), nullptr);
    ASSERT_EQ(sink.messages.size(), 4u);
    for (const auto& message : sink.messages) {
        EXPECT_EQ(message.text, kIncorrect);
        EXPECT_EQ(message.caption, "Shellyard");
        EXPECT_EQ(message.style, wxOK | wxICON_ERROR);
    }
    RawDb outside(DbPath());
    EXPECT_EQ(outside.Text("select count(*) from tbl_hostsite;"), "1");
}

TEST_F(SiteStoreTest, StoreNeverOpenedReportsTheTableMissing)
{
    RecordingSink other;
    SiteStore unopened(&other);
    EXPECT_EQ(unopened.ListSites(), nullptr);
    EXPECT_EQ(unopened.AddSite(Site("a", "b")), -1);
    ASSERT_EQ(other.messages.size(), 2u);
    EXPECT_EQ(other.messages[1].text, kIncorrect);
}

TEST_F(SiteStoreTest, WithoutASinkMessagesGoToTheLog)
{
    SiteStore quiet(nullptr);
    const std::string path = root + "/quiet.db";
    EXPECT_EQ(quiet.Open(path), 1);
    EXPECT_NE(LogText().find("Can't find database [" + path + "]! will create a new one!"), std::string::npos)
        << LogText();
}
}  // namespace
