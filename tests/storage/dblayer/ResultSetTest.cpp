// Result sets and their metadata: reading rows by position and by name, NULLs, dates, text
// conversion, stepping errors and column types.
#include "StorageTestSupport.h"
#include "storage/dblayer/ColumnType.h"
#include "storage/dblayer/DatabaseErrorCodes.h"
#include "storage/dblayer/DatabaseLayerException.h"
#include "storage/dblayer/DatabaseResultSet.h"
#include "storage/dblayer/PreparedStatement.h"
#include "storage/dblayer/ResultSetMetaData.h"
#include "storage/dblayer/SqliteDatabaseLayer.h"

#include <cstring>

namespace {
class ResultSetTest : public StorageTest {
protected:
    void SetUp() override
    {
        StorageTest::SetUp();
        ASSERT_TRUE(db.Open(DbPath()));
    }
    void TearDown() override
    {
        db.Close();
        StorageTest::TearDown();
    }
    DatabaseResultSet* FirstRow(const wxString& sql)
    {
        DatabaseResultSet* rows = db.RunQueryWithResults(sql);
        EXPECT_TRUE(rows && rows->Next());
        return rows;
    }

    SqliteDatabaseLayer db;
};

TEST_F(ResultSetTest, FieldIndexIsExactAndCaseSensitive)
{
    DatabaseResultSet* rows = FirstRow("select 1 as Id, 2 as name, 3 as name;");
    EXPECT_EQ(rows->FieldIndex("Id"), 1);
    EXPECT_EQ(rows->FieldIndex("name"), 3) << "a later column of the same name wins";
    try {
        rows->FieldIndex("ID");
        FAIL() << "no exception";
    } catch (const DatabaseLayerException& e) {
        EXPECT_EQ(e.GetErrorCode(), DATABASE_LAYER_FIELD_NOT_FOUND);
        EXPECT_EQ(e.GetErrorMessage(), "Field 'ID' not found in the resultset");
    }
    EXPECT_EQ(rows->ErrorCode(), DATABASE_LAYER_FIELD_NOT_FOUND);
    EXPECT_THROW(rows->GetString("id"), DatabaseLayerException);
    EXPECT_EQ(rows->GetInt("Id"), 1);
    EXPECT_EQ(rows->ErrorCode(), 0);
}

TEST_F(ResultSetTest, GettersByPositionAndByName)
{
    DatabaseResultSet* rows = FirstRow("select 42 as i, 'text' as s, 2.75 as d, 0 as f, x'00ff' as b, "
                                       "3000000000 as big;");
    EXPECT_EQ(rows->GetInt(1), 42);
    EXPECT_EQ(rows->GetLong("i"), 42);
    EXPECT_EQ(rows->GetString(2), "text");
    EXPECT_EQ(rows->GetString("i"), "42");
    EXPECT_DOUBLE_EQ(rows->GetDouble("d"), 2.75);
    EXPECT_FALSE(rows->GetBool("f"));
    EXPECT_TRUE(rows->GetBool(1));
    wxMemoryBuffer buffer;
    const unsigned char* bytes = static_cast<const unsigned char*>(rows->GetBlob("b", buffer));
    ASSERT_NE(bytes, nullptr);
    ASSERT_EQ(buffer.GetDataLen(), 2u);
    EXPECT_EQ(bytes[0], 0x00);
    EXPECT_EQ(bytes[1], 0xff);
    // GetLong is 32 bits wide, as SQLite's int reader.
    EXPECT_EQ(rows->GetLong("big"), static_cast<std::int32_t>(3000000000LL & 0xffffffff));
}

TEST_F(ResultSetTest, NullTextReadsEmptyAndIsNull)
{
    DatabaseResultSet* rows = FirstRow("select NULL as n, '' as e, 0 as z;");
    EXPECT_EQ(rows->GetString("n"), "");
    EXPECT_TRUE(rows->IsNull("n"));
    EXPECT_TRUE(rows->IsNull(1));
    EXPECT_FALSE(rows->IsNull("e"));
    EXPECT_FALSE(rows->IsNull(3));
    wxMemoryBuffer buffer;
    buffer.AppendData("old", 3);
    EXPECT_EQ(rows->GetBlob("n", buffer), nullptr);
    EXPECT_EQ(buffer.GetDataLen(), 0u);
}

TEST_F(ResultSetTest, DatesInTheAcceptedShapes)
{
    DatabaseResultSet* rows =
        FirstRow("select '12/31/99 23:59:58', '2021-03-05 14:07:09', '2021-03-05', 'not a date', NULL;");
    EXPECT_EQ(rows->GetDate(1), wxDateTime(31, wxDateTime::Dec, 1999, 23, 59, 58));
    EXPECT_EQ(rows->GetDate(2), wxDateTime(5, wxDateTime::Mar, 2021, 14, 7, 9));
    EXPECT_EQ(rows->GetDate(3), wxDateTime(5, wxDateTime::Mar, 2021));
    EXPECT_FALSE(rows->GetDate(4).IsValid());
    EXPECT_FALSE(rows->GetDate(5).IsValid());
}

TEST_F(ResultSetTest, NonAsciiTextRoundTripsAsUtf8)
{
    const wxString text = wxString::FromUTF8("Grüße ä€😀 日本");
    db.RunQuery("create table t(s text);");
    PreparedStatement* insert = db.PrepareStatement("insert into t values(?);");
    insert->SetParamString(1, text);
    insert->RunQuery();
    EXPECT_EQ(db.QuerySingleString("select s from t;", 1), text);
    RawDb outside(DbPath());
    EXPECT_EQ(outside.Text("select s from t;"), "Grüße ä€😀 日本");
    EXPECT_EQ(db.QuerySingleInt("select length(s) from t;", 1), 12) << "stored as characters, not bytes";
}

TEST_F(ResultSetTest, StringConversionBothWays)
{
    const wxString text = wxString::FromUTF8("ä€😀");
    EXPECT_EQ(db.EncodedLength(text), 9u);
    EXPECT_STREQ(db.ToDatabaseText(text).data(), "ä€😀");
    EXPECT_EQ(db.FromDatabaseText("ä€😀"), text);
    EXPECT_EQ(db.FromDatabaseText(nullptr), "");
    EXPECT_EQ(db.EncodedLength(""), 0u);
    // Bytes that are not UTF-8 are not dropped: in the C locale they come back byte for byte.
    EXPECT_EQ(db.FromDatabaseText("caf\xe9"), wxString::FromUTF8("café"));

    // Nor are bytes that decode to no character (a surrogate half, a code point beyond U+10FFFF,
    // both let through by the toolkit's decoder): the text read can be written back, unchanged
    // when read again.
    for (const char* stored : {"h\xF4\x90\x80\x80st", "h\xED\xA0\x80st"}) {
        const wxString read = db.FromDatabaseText(stored);
        EXPECT_EQ(read, wxString::From8BitData(stored)) << stored;
        const wxCharBuffer written = db.ToDatabaseText(read);
        EXPECT_EQ(db.EncodedLength(read), std::strlen(written.data()));
        EXPECT_EQ(db.FromDatabaseText(written.data()), read) << stored;
    }
    // Such characters from anywhere else go in as U+FFFD rather than empty the whole text.
    wxString odd = "a";
    odd << wxUniChar(0x110000) << wxUniChar(0xDC00) << "b";
    EXPECT_STREQ(db.ToDatabaseText(odd).data(), "a\xEF\xBF\xBD\xEF\xBF\xBD" "b");
    EXPECT_EQ(db.EncodedLength(odd), 8u);
}

TEST_F(ResultSetTest, SteppingErrorIsLoggedRecordedAndThrown)
{
    DatabaseResultSet* rows = db.RunQueryWithResults("select abs(-9223372036854775807 - 1);");
    LogRecorder log;
    try {
        rows->Next();
        FAIL() << "no exception";
    } catch (const DatabaseLayerException& e) {
        EXPECT_EQ(e.GetErrorCode(), SQLITE_ERROR);
        EXPECT_EQ(e.GetErrorMessage(), "integer overflow");
    }
    EXPECT_EQ(rows->ErrorCode(), SQLITE_ERROR);
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].first, wxLOG_Error);
    EXPECT_EQ(log.entries[0].second, "Error with RunQueryWithResults\n");
}

TEST_F(ResultSetTest, ColumnTypesFromDeclarationsAndValues)
{
    db.RunQuery("create table typed(a INTEGER, b int, c Long, d varchar(20), e STRING, f double, g float, h bool, "
                "i blob, j date, k DateTime, l timestamp, m text, n);"
                "insert into typed values(1, 2, 3, 'd', 'e', 1.0, 2.0, 1, x'01', 'j', 'k', 'l', 'm', 5);");
    DatabaseResultSet* rows = FirstRow("select *, 1 + 1, 1.5 * 2, 'x' || 'y', NULL, x'0102' from typed;");
    ResultSetMetaData* meta = rows->GetMetaData();
    ASSERT_EQ(meta->GetColumnCount(), 19);
    const int declared[] = {ColumnInteger, ColumnInteger, ColumnInteger, ColumnString, ColumnString,
                            ColumnDouble,  ColumnDouble,  ColumnBool,    ColumnBlob,   ColumnDate,
                            ColumnDate,    ColumnDate,    ColumnString};
    ::testing::internal::CaptureStdout();
    for (int i = 1; i <= 13; ++i)
        EXPECT_EQ(meta->GetColumnType(i), declared[i - 1]) << "column " << i;
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "") << "declared types say nothing on stdout";

    // Undeclared columns go by the value they hold; an integer says so on standard output.
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(meta->GetColumnType(14), ColumnInteger);
    EXPECT_EQ(meta->GetColumnType(15), ColumnInteger);
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "sqlite3_column_type returned SQLITE_INTEGER\nsqlite3_column_type returned SQLITE_INTEGER\n");
    EXPECT_EQ(meta->GetColumnType(16), ColumnDouble);
    EXPECT_EQ(meta->GetColumnType(17), ColumnString);
    EXPECT_EQ(meta->GetColumnType(18), ColumnNull);
    EXPECT_EQ(meta->GetColumnType(19), ColumnBlob);

    EXPECT_EQ(meta->GetColumnName(4), "d");
    EXPECT_EQ(meta->GetColumnName(15), "1 + 1");
    EXPECT_EQ(meta->GetColumnSize(4), -1);
    EXPECT_TRUE(rows->CloseMetaData(meta));
    EXPECT_FALSE(rows->CloseMetaData(nullptr));
    rows->GetMetaData();  // left to the result set, which destroys it when closed
    rows->Close();
}
}  // namespace
