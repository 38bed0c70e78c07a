// How query texts are cut into statements before they reach SQLite.
#include "storage/dblayer/StatementSplitter.h"

#include <gtest/gtest.h>

namespace {
struct SplitCase {
    const char* name;
    const char* text;
    std::vector<const char*> statements;
};

class StatementSplitterTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(StatementSplitterTest, SplitsAsASqlReaderWould)
{
    const SplitCase& c = GetParam();
    std::vector<wxString> actual = StatementSplitter::Split(wxString::FromUTF8(c.text));
    std::vector<wxString> expected;
    for (const char* s : c.statements)
        expected.push_back(wxString::FromUTF8(s));
    EXPECT_EQ(actual, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StatementSplitterTest,
    ::testing::Values(
        SplitCase{"OneStatement", "select 1;", {"select 1;"}},
        SplitCase{"SemicolonInsideQuotesStays", "insert into t values('a;b');", {"insert into t values('a;b');"}},
        SplitCase{"DoubledQuoteInsideLiteral", "insert into t values('it''s;ok'); select 2;",
                  {"insert into t values('it''s;ok');", " select 2;"}},
        SplitCase{"EmptyStatementsDropped", "select 1;;  ; \n;select 2;", {"select 1;", "select 2;"}},
        SplitCase{"MissingFinalSemicolonAppended", "select 1; select 2", {"select 1;", " select 2;"}},
        SplitCase{"OneCharacterRemainderDropped", "select 1;x", {"select 1;"}},
        SplitCase{"TwoCharacterRemainderKept", "select 1;xy", {"select 1;", "xy;"}},
        SplitCase{"TrailingBlanksDropped", "select 1;   ", {"select 1;"}},
        SplitCase{"EmptyText", "", {}},
        SplitCase{"OnlySemicolonsAndBlanks", " ; ;\t; ", {}},
        SplitCase{"NoSemicolonAtAll", "select 1", {"select 1;"}},
        SplitCase{"UnterminatedQuoteRunsToTheEnd", "select 'a;b", {"select 'a;b;"}},
        // Double quotes are not treated as quoting.
        SplitCase{"DoubleQuotesDoNotProtect", "select \"a;b\";", {"select \"a;", "b\";"}},
        SplitCase{"NonAsciiKeptWhole", "insert into t values('ä€😀;'); select 'ä';",
                  {"insert into t values('ä€😀;');", " select 'ä';"}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });
}  // namespace
