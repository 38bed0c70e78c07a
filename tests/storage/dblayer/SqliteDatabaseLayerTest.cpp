// The SQLite connection: opening and closing, running statements, the query families and the
// catalogue, against real database files.
#include "StorageTestSupport.h"
#include "storage/dblayer/DatabaseErrorCodes.h"
#include "storage/dblayer/DatabaseLayerException.h"
#include "storage/dblayer/DatabaseResultSet.h"
#include "storage/dblayer/PreparedStatement.h"
#include "storage/dblayer/SqliteDatabaseLayer.h"

#include <wx/filename.h>

namespace {
wxInitializer toolkit;

class SqliteDatabaseLayerTest : public StorageTest {
protected:
    void SetUp() override
    {
        StorageTest::SetUp();
        ASSERT_TRUE(db.Open(DbPath()));
        db.RunQuery("create table t(id integer, name text, price double, flag bool, day date, data blob);");
        db.RunQuery("insert into t values(1, 'one', 1.5, 1, '01/02/24 03:04:05', x'0001');"
                    "insert into t values(2, 'two', 2.5, 0, '2024-12-31 23:59:58', NULL);");
    }

    // The error code of the exception that f throws; -1 when it throws none.
    template <typename F>
    static int CodeOf(F f)
    {
        try {
            f();
        } catch (const DatabaseLayerException& e) {
            return e.GetErrorCode();
        }
        return -1;
    }

    SqliteDatabaseLayer db;
};

TEST_F(SqliteDatabaseLayerTest, OpeningAMissingFileCreatesIt)
{
    SqliteDatabaseLayer other;
    const std::string path = root + "/fresh.db";
    EXPECT_TRUE(other.Open(path));
    EXPECT_TRUE(other.IsOpen());
    EXPECT_TRUE(FileExists(path));
    EXPECT_TRUE(other.Close());
    EXPECT_FALSE(other.IsOpen());
    EXPECT_TRUE(other.Close()) << "closing twice is harmless";
}

TEST_F(SqliteDatabaseLayerTest, FailedOpenThrowsAndLeavesTheConnectionClosed)
{
    SqliteDatabaseLayer other;
    const wxString path = wxString(root) + "/no/such/dir/x.db";
    try {
        other.Open(path);
        FAIL() << "no exception";
    } catch (const DatabaseLayerException& e) {
        EXPECT_EQ(e.GetErrorCode(), SQLITE_CANTOPEN);
        EXPECT_FALSE(e.GetErrorMessage().empty());
        EXPECT_EQ(other.ErrorCode(), SQLITE_CANTOPEN);
    }
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(other.RunQuery("select 1;"), 0);
}

TEST_F(SqliteDatabaseLayerTest, OpenExistingRefusesAMissingFileUnlessAllowed)
{
    SqliteDatabaseLayer other;
    const wxString missing = wxString(root) + "/missing.db";
    try {
        other.OpenExisting(missing, true);
        FAIL() << "no exception";
    } catch (const DatabaseLayerException& e) {
        EXPECT_EQ(e.GetErrorCode(), DATABASE_LAYER_FILE_NOT_FOUND);
        EXPECT_EQ(e.GetErrorMessage(), "The specified database file '" + missing + "' does not exist.");
    }
    EXPECT_FALSE(other.IsOpen());
    EXPECT_FALSE(FileExists(missing.ToStdString()));

    EXPECT_TRUE(other.OpenExisting(":memory:", true));
    EXPECT_TRUE(other.OpenExisting(DbPath(), true));  // reopening closes the first handle
    EXPECT_EQ(other.QuerySingleInt("select count(*) from t;", 1), 2);
    EXPECT_TRUE(other.OpenExisting(missing, false));
    EXPECT_TRUE(FileExists(missing.ToStdString()));
}

TEST_F(SqliteDatabaseLayerTest, ClosedConnectionDoesNothingAndRecordsNothing)
{
    SqliteDatabaseLayer closed;
    EXPECT_EQ(closed.RunQuery("create table x(a);"), 0);
    EXPECT_EQ(closed.ErrorCode(), 0);
    EXPECT_EQ(closed.RunQueryWithResults("select 1;"), nullptr);
    EXPECT_EQ(closed.PrepareStatement("select 1;"), nullptr);
    EXPECT_FALSE(closed.TableExists("t"));
    EXPECT_FALSE(closed.ViewExists("v"));
    EXPECT_TRUE(closed.ListTables().empty());
    EXPECT_TRUE(closed.QueryColumnInts("select 1;", 1).empty());
    EXPECT_EQ(CodeOf([&] { closed.QuerySingleInt("select 1;", 1); }), DATABASE_LAYER_NO_ROWS_FOUND);
    EXPECT_EQ(closed.ErrorCode(), DATABASE_LAYER_NO_ROWS_FOUND);
}

TEST_F(SqliteDatabaseLayerTest, RunQueryReportsChangedRowsOfTheLastStatement)
{
    EXPECT_EQ(db.RunQuery("update t set name = 'x';"), 2);
    EXPECT_EQ(db.RunQuery("update t set name = 'y' where id = 1; update t set name = 'z' where id > 5;"), 0);
    EXPECT_EQ(db.QuerySingleString("select name from t where id = 1;", 1), "y");
    // Without splitting SQLite still runs every statement of the text.
    EXPECT_EQ(db.RunQuery("insert into t(id) values(3); insert into t(id) values(4);", false), 1);
    EXPECT_EQ(db.QuerySingleInt("select count(*) from t;", 1), 4);
}

TEST_F(SqliteDatabaseLayerTest, FailingStatementThrowsAndKeepsEarlierStatementsDone)
{
    try {
        db.RunQuery("insert into t(id) values(3); insert into nowhere values(1); insert into t(id) values(4);");
        FAIL() << "no exception";
    } catch (const DatabaseLayerException& e) {
        EXPECT_EQ(e.GetErrorCode(), SQLITE_ERROR);
        EXPECT_EQ(e.GetErrorMessage(), "no such table: nowhere");
    }
    EXPECT_EQ(db.ErrorCode(), SQLITE_ERROR);
    EXPECT_EQ(db.ErrorMessage(), "no such table: nowhere");
    EXPECT_EQ(db.QueryColumnInts("select id from t order by id;", 1), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(db.ErrorCode(), 0) << "the next operation starts without an error";
}

TEST_F(SqliteDatabaseLayerTest, LastStatementRunsOnlyAtTheFirstNext)
{
    DatabaseResultSet* rows = db.RunQueryWithResults("insert into t(id) values(10); insert into t(id) values(11)");
    ASSERT_NE(rows, nullptr);
    RawDb outside(DbPath());
    EXPECT_EQ(outside.Text("select group_concat(id) from t where id >= 10;"), "10");
    EXPECT_FALSE(rows->Next());
    EXPECT_EQ(outside.Text("select group_concat(id) from t where id >= 10;"), "10,11");
    EXPECT_TRUE(db.CloseResultSet(rows));
}

TEST_F(SqliteDatabaseLayerTest, RunQueryWithResultsFailures)
{
    // An earlier statement that SQLite explains: no result set, error recorded, nothing thrown.
    EXPECT_EQ(db.RunQueryWithResults("insert into nowhere values(1); select 1;"), nullptr);
    EXPECT_EQ(db.ErrorCode(), SQLITE_ERROR);
    EXPECT_EQ(db.ErrorMessage(), "no such table: nowhere");
    // The last statement does not compile: thrown.
    EXPECT_EQ(CodeOf([&] { db.RunQueryWithResults("select * from nowhere;"); }), SQLITE_ERROR);
    EXPECT_EQ(db.ErrorMessage(), "no such table: nowhere");
    // A text without a statement.
    EXPECT_EQ(db.RunQueryWithResults(" ; ; "), nullptr);
    EXPECT_EQ(db.ErrorCode(), SQLITE_MISUSE);
}

TEST_F(SqliteDatabaseLayerTest, TableAndViewExistenceIsExactAndCaseSensitive)
{
    db.RunQuery("create view v as select id from t;");
    EXPECT_TRUE(db.TableExists("t"));
    EXPECT_FALSE(db.TableExists("T"));
    EXPECT_FALSE(db.TableExists("v"));
    EXPECT_TRUE(db.ViewExists("v"));
    EXPECT_FALSE(db.ViewExists("t"));
    EXPECT_FALSE(db.TableExists("t' or '1'='1"));
    EXPECT_FALSE(db.TableExists(""));
}

TEST_F(SqliteDatabaseLayerTest, CatalogueLists)
{
    db.RunQuery("create view v as select id from t; create table \"it's\"(a, b);");
    wxArrayString tables = db.ListTables();
    tables.Sort();
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0], "it's");
    EXPECT_EQ(tables[1], "t");
    ASSERT_EQ(db.ListViews().size(), 1u);
    EXPECT_EQ(db.ListViews()[0], "v");

    const wxArrayString columns = db.ListColumns("t");
    const std::vector<wxString> expected{"id", "name", "price", "flag", "day", "data"};
    EXPECT_EQ(std::vector<wxString>(columns.begin(), columns.end()), expected);
    // A quote in the name stays part of the name.
    const wxArrayString quoted = db.ListColumns("it's");
    EXPECT_EQ(std::vector<wxString>(quoted.begin(), quoted.end()), (std::vector<wxString>{"a", "b"}));
    EXPECT_EQ(CodeOf([&] { db.ListColumns("nowhere"); }), SQLITE_ERROR);
}

TEST_F(SqliteDatabaseLayerTest, QuerySingleIntUniquenessCodes)
{
    EXPECT_EQ(db.QuerySingleInt("select id from t where id = 2;", 1), 2);
    EXPECT_EQ(db.QuerySingleInt("select id from t order by id;", "id", false), 1);

    try {
        db.QuerySingleInt("select id from t;", "id");
        FAIL() << "no exception";
    } catch (const DatabaseLayerException& e) {
        EXPECT_EQ(e.GetErrorCode(), DATABASE_LAYER_NON_UNIQUE_RESULT);
        EXPECT_EQ(e.GetErrorMessage(), "A non-unique result was returned.");
    }
    // The abandoned query was released: nothing holds a read lock that would block a writer.
    RawDb writer(DbPath());
    EXPECT_EQ(writer.Exec("insert into t(id) values(7);"), SQLITE_OK) << sqlite3_errmsg(writer.Handle());

    try {
        db.QuerySingleInt("select id from t where id = 99;", 1);
        FAIL() << "no exception";
    } catch (const DatabaseLayerException& e) {
        EXPECT_EQ(e.GetErrorCode(), DATABASE_LAYER_NO_ROWS_FOUND);
        EXPECT_EQ(e.GetErrorMessage(), "No result was returned.");
    }
    // A wrong column name is the result set's error, passed on.
    EXPECT_EQ(CodeOf([&] { db.QuerySingleInt("select id from t;", "ID", false); }), DATABASE_LAYER_FIELD_NOT_FOUND);
    EXPECT_EQ(writer.Exec("insert into t(id) values(8);"), SQLITE_OK) << sqlite3_errmsg(writer.Handle());
}

TEST_F(SqliteDatabaseLayerTest, QuerySingleValuesOfEveryType)
{
    const wxString one = "select * from t where id = 1;";
    EXPECT_EQ(db.QuerySingleString(one, "name"), "one");
    EXPECT_EQ(db.QuerySingleString(one, 2), "one");
    EXPECT_EQ(db.QuerySingleLong(one, "id"), 1);
    EXPECT_EQ(db.QuerySingleLong(one, 1), 1);
    EXPECT_TRUE(db.QuerySingleBool(one, "flag"));
    EXPECT_FALSE(db.QuerySingleBool("select * from t where id = 2;", 4));
    EXPECT_DOUBLE_EQ(db.QuerySingleDouble(one, "price"), 1.5);
    EXPECT_DOUBLE_EQ(db.QuerySingleDouble(one, 3), 1.5);
    EXPECT_EQ(db.QuerySingleDate(one, "day"), wxDateTime(2, wxDateTime::Jan, 2024, 3, 4, 5));
    EXPECT_EQ(db.QuerySingleDate("select * from t where id = 2;", 5), wxDateTime(31, wxDateTime::Dec, 2024, 23, 59, 58));

    wxMemoryBuffer buffer;
    const void* bytes = db.QuerySingleBlob(one, "data", buffer);
    ASSERT_NE(bytes, nullptr);
    ASSERT_EQ(buffer.GetDataLen(), 2u);
    EXPECT_EQ(static_cast<const unsigned char*>(bytes)[1], 1);
    EXPECT_EQ(db.QuerySingleBlob("select * from t where id = 2;", 6, buffer), nullptr);
    EXPECT_EQ(buffer.GetDataLen(), 0u);
}

TEST_F(SqliteDatabaseLayerTest, ColumnQueriesCollectEveryRow)
{
    const wxString all = "select * from t order by id;";
    EXPECT_EQ(db.QueryColumnInts(all, "id"), (std::vector<int>{1, 2}));
    EXPECT_EQ(db.QueryColumnInts(all, 1), (std::vector<int>{1, 2}));
    EXPECT_EQ(db.QueryColumnLongs(all, "id"), (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(db.QueryColumnLongs(all, 1), (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(db.QueryColumnDoubles(all, "price"), (std::vector<double>{1.5, 2.5}));
    EXPECT_EQ(db.QueryColumnDoubles(all, 3), (std::vector<double>{1.5, 2.5}));
    const wxArrayString names = db.QueryColumnStrings(all, "name");
    EXPECT_EQ(std::vector<wxString>(names.begin(), names.end()), (std::vector<wxString>{"one", "two"}));
    EXPECT_EQ(db.QueryColumnStrings(all, 2).size(), 2u);
    EXPECT_TRUE(db.QueryColumnInts("select id from t where id > 5;", 1).empty());
    EXPECT_EQ(CodeOf([&] { db.QueryColumnInts(all, "missing"); }), DATABASE_LAYER_FIELD_NOT_FOUND);
}

TEST_F(SqliteDatabaseLayerTest, TransactionsCommitAndRollBack)
{
    db.BeginTransaction();
    db.RunQuery("insert into t(id) values(5);");
    db.Rollback();
    EXPECT_EQ(db.QuerySingleInt("select count(*) from t;", 1), 2);
    db.BeginTransaction();
    db.RunQuery("insert into t(id) values(6);");
    db.Commit();
    RawDb outside(DbPath());
    EXPECT_EQ(outside.Text("select count(*) from t;"), "3");
    EXPECT_EQ(CodeOf([&] { db.Commit(); }), SQLITE_ERROR) << "no transaction is open";
}

TEST_F(SqliteDatabaseLayerTest, CloseReleasesEverythingHandedOut)
{
    // Left open on purpose: the connection must destroy them (the sanitizer build checks leaks)
    // and finalize their statements, or sqlite3_close would fail with SQLITE_BUSY.
    DatabaseResultSet* rows = db.RunQueryWithResults("select * from t;");
    ASSERT_TRUE(rows->Next());
    PreparedStatement* statement = db.PrepareStatement("select * from t where id = ?;");
    statement->SetParamInt(1, 1);
    DatabaseResultSet* statementRows = statement->RunQueryWithResults();
    ASSERT_TRUE(statementRows->Next());
    statementRows->GetMetaData();
    db.PrepareStatement("select 1;");
    EXPECT_TRUE(db.Close());
    EXPECT_FALSE(db.IsOpen());
    ASSERT_TRUE(db.Open(DbPath()));
    EXPECT_EQ(db.QuerySingleInt("select count(*) from t;", 1), 2);
}

TEST_F(SqliteDatabaseLayerTest, ClosingHandedOutObjectsOneByOne)
{
    EXPECT_FALSE(db.CloseResultSet(nullptr));
    EXPECT_FALSE(db.CloseStatement(nullptr));

    PreparedStatement* statement = db.PrepareStatement("select id from t;");
    DatabaseResultSet* rows = statement->RunQueryWithResults();
    // The connection finds the statement that owns the result set and lets it destroy it.
    EXPECT_TRUE(db.CloseResultSet(rows));
    EXPECT_FALSE(statement->CloseResultSet(rows)) << "already gone";
    EXPECT_TRUE(db.CloseStatement(statement));

    DatabaseResultSet* own = db.RunQueryWithResults("select id from t;");
    own->Close();  // releases its statement; the object lives until the connection destroys it
    EXPECT_FALSE(own->Next());
    EXPECT_TRUE(db.CloseResultSet(own));
}

TEST_F(SqliteDatabaseLayerTest, DestructorClosesWhatIsLeftOpen)
{
    auto* other = new SqliteDatabaseLayer;
    ASSERT_TRUE(other->Open(DbPath()));
    DatabaseResultSet* rows = other->RunQueryWithResults("select * from t;");
    ASSERT_TRUE(rows->Next());
    other->PrepareStatement("insert into t(id) values(?);");
    delete other;
    // Nothing keeps the file locked afterwards.
    RawDb writer(DbPath());
    EXPECT_EQ(writer.Exec("begin exclusive; insert into t(id) values(9); commit;"), SQLITE_OK);
}
}  // namespace
