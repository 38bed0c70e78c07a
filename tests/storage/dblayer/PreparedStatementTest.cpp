// Prepared statements: parameter positions across statements, every binder, running with and
// without results.
#include "StorageTestSupport.h"
#include "storage/dblayer/DatabaseErrorCodes.h"
#include "storage/dblayer/DatabaseLayerException.h"
#include "storage/dblayer/DatabaseResultSet.h"
#include "storage/dblayer/PreparedStatement.h"
#include "storage/dblayer/SqliteDatabaseLayer.h"

namespace {
class PreparedStatementTest : public StorageTest {
protected:
    void SetUp() override
    {
        StorageTest::SetUp();
        ASSERT_TRUE(db.Open(DbPath()));
        db.RunQuery("create table t(a, b);");
    }

    SqliteDatabaseLayer db;
};

TEST_F(PreparedStatementTest, PositionsRunAcrossStatements)
{
    PreparedStatement* statement =
        db.PrepareStatement("insert into t values(?, ?); insert into t values(?, 'fixed'); delete from t where a = ?;");
    ASSERT_NE(statement, nullptr);
    EXPECT_EQ(statement->ParameterCount(), 4);
    statement->SetParamInt(1, 10);
    statement->SetParamString(2, "first");
    statement->SetParamInt(3, 20);
    statement->SetParamInt(4, 10);
    EXPECT_EQ(statement->RunQuery(), 1);  // the delete's count
    EXPECT_EQ(db.QuerySingleString("select group_concat(a || ':' || b) from t;", 1), "20:fixed");

    // Beyond the last parameter: nothing happens and no error is recorded.
    statement->SetParamInt(5, 99);
    EXPECT_EQ(statement->ErrorCode(), 0);
    // Position 0 is no position at all: SQLite's range error.
    try {
        statement->SetParamString(0, "x");
        FAIL() << "no exception";
    } catch (const DatabaseLayerException& e) {
        EXPECT_EQ(e.GetErrorCode(), SQLITE_RANGE);
    }
    EXPECT_TRUE(db.CloseStatement(statement));
}

TEST_F(PreparedStatementTest, StatementRunsAgainWithNewValues)
{
    PreparedStatement* insert = db.PrepareStatement("insert into t values(?, ?);");
    for (int i = 1; i <= 3; ++i) {
        insert->SetParamInt(1, i);
        insert->SetParamString(2, wxString::Format("row %d", i));
        EXPECT_EQ(insert->RunQuery(), 1);
    }
    EXPECT_EQ(db.QuerySingleString("select group_concat(b, '|') from t;", 1), "row 1|row 2|row 3");
}

TEST_F(PreparedStatementTest, EveryBinderStoresItsValue)
{
    PreparedStatement* insert = db.PrepareStatement("insert into t values(?, ?);");
    auto row = [&](const char* name, auto bind) {
        insert->SetParamString(1, name);
        bind();
        insert->RunQuery();
    };
    row("int", [&] { insert->SetParamInt(2, -42); });
    row("double", [&] { insert->SetParamDouble(2, 0.25); });
    row("bool", [&] { insert->SetParamBool(2, true); });
    row("null", [&] { insert->SetParamNull(2); });
    row("text", [&] { insert->SetParamString(2, wxString::FromUTF8("it's ä€😀 \\ %s")); });
    row("date", [&] { insert->SetParamDate(2, wxDateTime(5, wxDateTime::Mar, 2021, 14, 7, 9)); });
    row("nodate", [&] { insert->SetParamDate(2, wxInvalidDateTime); });
    {
        // The blob is copied at binding: the caller's bytes may go right away.
        std::string bytes("a\0b\xff", 4);
        row("blob", [&] { insert->SetParamBlob(2, bytes.data(), 4); });
    }
    wxMemoryBuffer buffer;
    buffer.AppendData("xyz", 3);
    row("buffer", [&] { insert->SetParamBlob(2, buffer); });

    RawDb outside(DbPath());
    auto stored = [&](const std::string& name) {
        return outside.Text("select typeof(b) || '=' || quote(b) from t where a = '" + name + "';");
    };
    EXPECT_EQ(stored("int"), "integer=-42");
    EXPECT_EQ(stored("double"), "real=0.25");
    EXPECT_EQ(stored("bool"), "integer=1");
    EXPECT_EQ(stored("null"), "null=NULL");
    EXPECT_EQ(stored("text"), "text='it''s ä€😀 \\ %s'");
    EXPECT_EQ(stored("date"), "text='2021-03-05 14:07:09'");
    EXPECT_EQ(stored("nodate"), "null=NULL");
    EXPECT_EQ(stored("blob"), "blob=X'610062FF'");
    EXPECT_EQ(stored("buffer"), "blob=X'78797A'");
}

TEST_F(PreparedStatementTest, FailingRunThrowsWithSqlitesCodeAndMessage)
{
    db.RunQuery("create table u(k integer primary key, v text not null);");
    PreparedStatement* insert = db.PrepareStatement("insert into u values(?, ?);");
    insert->SetParamInt(1, 1);
    insert->SetParamNull(2);
    try {
        insert->RunQuery();
        FAIL() << "no exception";
    } catch (const DatabaseLayerException& e) {
        EXPECT_EQ(e.GetErrorCode(), SQLITE_CONSTRAINT);
        EXPECT_EQ(e.GetErrorMessage(), "NOT NULL constraint failed: u.v");
    }
    EXPECT_EQ(insert->ErrorCode(), SQLITE_CONSTRAINT);
    // After the failure the statement is usable again.
    insert->SetParamString(2, "ok");
    EXPECT_EQ(insert->RunQuery(), 1);
    EXPECT_EQ(insert->ErrorCode(), 0);
}

TEST_F(PreparedStatementTest, PreparingBadSqlThrowsAndHandsOutNothing)
{
    try {
        db.PrepareStatement("select 1; selec 2;");
        FAIL() << "no exception";
    } catch (const DatabaseLayerException& e) {
        EXPECT_EQ(e.GetErrorCode(), SQLITE_ERROR);
        EXPECT_EQ(e.GetErrorMessage(), "near \"selec\": syntax error");
    }
    // A trailing comment compiles to nothing and is not a statement.
    PreparedStatement* statement = db.PrepareStatement("insert into t values(?, 1); -- the end");
    EXPECT_EQ(statement->ParameterCount(), 1);
    statement->SetParamInt(1, 5);
    EXPECT_EQ(statement->RunQuery(), 1);
}

TEST_F(PreparedStatementTest, ResultsComeFromTheLastStatementAfterTheOthersRan)
{
    PreparedStatement* statement = db.PrepareStatement("insert into t values(?, 'x'); select a, b from t where a = ?;");
    statement->SetParamInt(1, 7);
    statement->SetParamInt(2, 7);
    DatabaseResultSet* rows = statement->RunQueryWithResults();
    ASSERT_NE(rows, nullptr);
    ASSERT_TRUE(rows->Next());
    EXPECT_EQ(rows->GetInt("a"), 7);
    EXPECT_EQ(rows->GetString("b"), "x");
    EXPECT_FALSE(rows->Next());
    EXPECT_TRUE(statement->CloseResultSet(rows));
    EXPECT_FALSE(statement->CloseResultSet(nullptr));

    // A result set that the statement did not hand out is left alone.
    DatabaseResultSet* foreign = db.RunQueryWithResults("select 1;");
    EXPECT_FALSE(statement->CloseResultSet(foreign));
    EXPECT_TRUE(foreign->Next());
    EXPECT_TRUE(db.CloseResultSet(foreign));
}

TEST_F(PreparedStatementTest, FailingEarlierStatementIsLoggedAndThrown)
{
    db.RunQuery("create table u(v text not null);");
    PreparedStatement* statement = db.PrepareStatement("insert into u values(?); select count(*) from u;");
    statement->SetParamNull(1);
    LogRecorder log;
    EXPECT_THROW(statement->RunQueryWithResults(), DatabaseLayerException);
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].first, wxLOG_Error);
    EXPECT_EQ(log.entries[0].second, "Error with RunQueryWithResults\n");
}

TEST_F(PreparedStatementTest, ClosingTheStatementDestroysItsResultSets)
{
    PreparedStatement* statement = db.PrepareStatement("select 1;");
    DatabaseResultSet* first = statement->RunQueryWithResults();
    statement->RunQueryWithResults();
    ASSERT_TRUE(first->Next());
    statement->Close();
    EXPECT_EQ(statement->ParameterCount(), 0);
    EXPECT_TRUE(db.CloseStatement(statement));
}
}  // namespace
