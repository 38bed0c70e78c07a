// The store's connection: every layer failure becomes a recorded error text and a plain result.
#include "StorageTestSupport.h"
#include "storage/DbConnection.h"
#include "storage/dblayer/DatabaseResultSet.h"

namespace {
wxInitializer toolkit;

class DbConnectionTest : public StorageTest {
protected:
    void SetUp() override
    {
        StorageTest::SetUp();
        ASSERT_TRUE(connection.Open(DbPath()));
        ASSERT_EQ(connection.RunQuery("create table t(a text, b text);"), 0);
        ASSERT_EQ(connection.LastError(), "");
    }
    DbConnection connection;
};

TEST_F(DbConnectionTest, OpenOnAnOpenConnectionKeepsTheFirstDatabase)
{
    EXPECT_TRUE(connection.Open(root + "/other.db"));
    EXPECT_FALSE(FileExists(root + "/other.db"));
    EXPECT_TRUE(connection.TableExists("t"));
    EXPECT_EQ(connection.Close(), 1);
    EXPECT_FALSE(connection.TableExists("t"));
    EXPECT_EQ(connection.LastError(), "") << "a closed connection records nothing";
}

TEST_F(DbConnectionTest, FailuresAreRecordedInTheirForms)
{
    DbConnection failing;
    EXPECT_FALSE(failing.Open(root + "/no/such/dir/x.db"));
    EXPECT_EQ(failing.LastError(), "[ErrNo=14,ErrMsg=unable to open database file]");
    EXPECT_FALSE(failing.Open(root + "/no/such/dir/x.db")) << "a failed open does not count as open";

    EXPECT_EQ(connection.RunQuery("insert into nowhere values(1);"), 0);
    EXPECT_EQ(connection.LastError(), "[ErrNo=1,ErrMsg=no such table: nowhere]");
    EXPECT_EQ(connection.RunQuery("insert into nowhere values(?);", {"x"}), 0);
    EXPECT_EQ(connection.LastError(), "[ErrNo=1,ErrMsg=no such table: nowhere]");

    EXPECT_EQ(connection.RunQueryWithResults("select * from nowhere;"), nullptr);
    EXPECT_EQ(connection.LastError(), "Execute SqlClause Exception![1,no such table: nowhere]");
    EXPECT_EQ(connection.RunQueryWithResults("select * from t where a = ?; xy", {"1"}), nullptr);
    EXPECT_EQ(connection.LastError(), "Execute SqlClause Exception![1,near \"xy\": syntax error]");

    DatabaseResultSet* rows = connection.RunQueryWithResults("select abs(-9223372036854775807 - 1);");
    ASSERT_NE(rows, nullptr);
    {
        wxLogNull quiet;
        EXPECT_FALSE(connection.NextRow(rows));
    }
    EXPECT_EQ(connection.LastError(), "Execute SqlClause Exception![1,integer overflow]");
    connection.CloseResultSet(rows);

    WriteFile(root + "/junk.db", std::string(4096, 'j'));
    DbConnection junk;
    EXPECT_TRUE(junk.Open(root + "/junk.db")) << "SQLite reads the file only when it is used";
    EXPECT_FALSE(junk.TableExists("t"));
    EXPECT_EQ(junk.LastError(), "[ErrNo=26,ErrMsg=file is not a database]");
}

TEST_F(DbConnectionTest, ValuesAreBoundNeverSpliced)
{
    const wxString hostile = "x'); drop table t; --";
    EXPECT_EQ(connection.RunQuery("insert into t values(?, ?);", {hostile, "b;c"}), 1);
    EXPECT_TRUE(connection.TableExists("t"));
    DatabaseResultSet* rows = connection.RunQueryWithResults("select a, b from t where a = ?;", {hostile});
    ASSERT_NE(rows, nullptr);
    ASSERT_TRUE(connection.NextRow(rows));
    EXPECT_EQ(rows->GetString(1), hostile);
    EXPECT_EQ(rows->GetString(2), "b;c");
    EXPECT_FALSE(connection.NextRow(rows));
    connection.CloseResultSet(rows);
    // Released at once: a writer from outside is not blocked by a lingering read.
    RawDb writer(DbPath());
    EXPECT_EQ(writer.Exec("begin exclusive; delete from t; commit;"), SQLITE_OK);
}

TEST_F(DbConnectionTest, ClosedConnectionHandsOutNothing)
{
    ASSERT_EQ(connection.Close(), 1);
    EXPECT_EQ(connection.RunQuery("select 1;"), 0);
    EXPECT_EQ(connection.RunQuery("select ?;", {"1"}), 0);
    EXPECT_EQ(connection.RunQueryWithResults("select 1;"), nullptr);
    EXPECT_EQ(connection.RunQueryWithResults("select ?;", {"1"}), nullptr);
    EXPECT_EQ(connection.LastError(), "");
    EXPECT_FALSE(connection.NextRow(nullptr));
    EXPECT_EQ(connection.Close(), 1);
}
}  // namespace
