// Reading what the remote commands print, from recorded outputs: vmstat headers of the three
// system kinds and their data lines, output that arrives in pieces, ps lines and the order of the
// process list's columns.
#include "monitor/OutputLines.h"
#include "monitor/ProcessRow.h"
#include "monitor/VmstatParser.h"

#include <gtest/gtest.h>

namespace {
const wxDateTime kNoon(8, wxDateTime::Dec, 2026, 12, 34, 56);

std::vector<std::string> Values(const ChartSeriesList& series, const char* key)
{
    std::vector<std::string> values;
    for (const wxString& value : series.GetValues(key))
        values.push_back(value.ToStdString());
    return values;
}

using Strings = std::vector<std::string>;
}  // namespace

TEST(VmstatParser, HeadersOfEveryKindNameTheirColumns)
{
    struct Layout {
        const char* kind;
        const char* header;
        short free, user, sys, idle;
        const char* data;  // a data line with idle 97, sys 1, user 2, free 204800
    } layouts[] = {
        {"Linux", " r  b   swpd   free   buff  cache   si   so    bi    bo   in   cs us sy id wa st\n", 3, 12, 13, 14,
         " 1  0      0 204800  21008 1186052    0    0     5     9   53   80  2  1 97  0  0\n"},
        {"AIX", " r  b   avm   fre  re  pi  po  fr   sr  cy  in   sy  cs us sy id wa\n", 3, 13, 14, 15,
         " 1  1 50000 204800   0   0   0   0    0   0  20  300  90  2  1 97  0\n"},
        {"HP-UX", "  r b w  avm  free  re  at  pi  po  fr  de  sr  in  sy  cs  us sy id\n", 4, 15, 16, 17,
         "  1 0 0 5000 204800  3   0   0   0   0   0   0  100 200  50   2  1 97\n"},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.kind);
        VmstatParser parser;
        ChartSeriesList series;
        EXPECT_FALSE(parser.ParseLine(layout.header, series, kNoon));
        EXPECT_EQ(parser.freeColumn, layout.free);
        EXPECT_EQ(parser.userColumn, layout.user);
        EXPECT_EQ(parser.sysColumn, layout.sys);
        EXPECT_EQ(parser.idleColumn, layout.idle);

        EXPECT_TRUE(parser.ParseLine(layout.data, series, kNoon));
        EXPECT_EQ(Values(series, "CHART_X_TIME"), Strings{"12:34"});
        EXPECT_EQ(Values(series, "ALLCPU"), Strings{"3"});
        EXPECT_EQ(Values(series, "SYSCPU"), Strings{"1"});
        EXPECT_EQ(Values(series, "USRCPU"), Strings{"2"});
        EXPECT_EQ(Values(series, "MEM"), Strings{"200.0"});
    }
}

TEST(VmstatParser, OnlyDataLinesAfterAHeaderBecomePoints)
{
    VmstatParser parser;
    ChartSeriesList series;
    // Before any header the columns are unknown: nothing is read, nothing breaks.
    EXPECT_FALSE(parser.ParseLine(" 1  0      0 204800  21008 1186052    0    0     5     9   53   80  2  1 97  0  0\n",
                                  series, kNoon));
    const char* notData[] = {
        "procs -----------memory---------- ---swap-- -----io---- -system-- ------cpu-----\n",
        "----------------------------------------------------------------------------------\n",
        " r  b   swpd   free   buff  cache   si   so    bi    bo   in   cs us sy id wa st\n",
        "Keyboard-interactive authentication prompts from server:\n",
        "FATAL ERROR: Network error: Connection refused\n",
        "Access denied\n",
        "\n",
        "",
        " 1  0      0 204800  21008\n",  // too short for the CPU columns
    };
    for (const char* line : notData)
        EXPECT_FALSE(parser.ParseLine(line, series, kNoon)) << line;
    EXPECT_TRUE(Values(series, "MEM").empty());

    // Free memory is shown in MiB with one decimal; values that are no number count as 0.
    const struct {
        const char* free;
        const char* mem;
    } memory[] = {{"512", "0.5"}, {"10", "0.0"}, {"204800", "200.0"}, {"x", "0.0"}, {"1048576", "1024.0"}};
    for (const auto& m : memory) {
        wxString line = wxString::Format(" 0  0  0 %s 1 1 0 0 0 0 0 0 50 25 25 0 0\n", m.free);
        EXPECT_TRUE(parser.ParseLine(line, series, kNoon)) << line;
        EXPECT_EQ(series.GetValues("MEM").Last(), m.mem) << m.free;
    }
    EXPECT_EQ(Values(series, "ALLCPU").back(), "75");
    EXPECT_EQ(Values(series, "USRCPU").back(), "50");
    EXPECT_EQ(parser.lineTokens.size(), 17u);
    // The five series always grow together.
    for (const char* key : {"CHART_X_TIME", "ALLCPU", "SYSCPU", "USRCPU", "MEM"})
        EXPECT_EQ(series.GetValues(key).size(), 5u) << key;
}

TEST(OutputLines, PiecesBecomeWholeLines)
{
    OutputLines lines;
    wxString line;
    // A vmstat line that arrives in two pieces is one line, read once its line feed is there.
    lines.Add(" 1  0      0 2048");
    EXPECT_FALSE(lines.Next(line));
    lines.Add("00  21008 1186052\n 2  0");
    ASSERT_TRUE(lines.Next(line));
    EXPECT_EQ(line, " 1  0      0 204800  21008 1186052\n");
    EXPECT_FALSE(lines.Next(line));
    lines.Add(" 9\nsecond\n");
    ASSERT_TRUE(lines.Next(line));
    EXPECT_EQ(line, " 2  0 9\n");
    ASSERT_TRUE(lines.Next(line));
    EXPECT_EQ(line, "second\n");
    lines.Add("cut short");
    EXPECT_EQ(lines.TakeRest(), "cut short");
    EXPECT_EQ(lines.TakeRest(), "");

    // UTF-8 stays itself; bytes that are not UTF-8 are kept as Latin-1 instead of vanishing.
    lines.Add("caf\xc3\xa9\n" "caf\xe9\n");
    ASSERT_TRUE(lines.Next(line));
    EXPECT_EQ(line, wxString::FromUTF8("caf\xc3\xa9\n"));
    ASSERT_TRUE(lines.Next(line));
    EXPECT_EQ(line.length(), 5u);
    EXPECT_EQ(line[3], wxUniChar(0xe9));
}

TEST(ProcessRow, TokensFillTheColumnsInOrder)
{
    const struct {
        const char* line;
        Strings fields;
        bool row;
    } cases[] = {
        {"  1234 sshd 2870 0 root", {"1234", "sshd", "2870", "0", "root"}, true},
        {"1\tinit\t\t100  3   root  extra tokens", {"1", "init", "100", "3", "root"}, true},
        // AIX prints the command with its arguments: later fields shift.
        {"77 /usr/bin/java -Xmx 5 alice", {"77", "/usr/bin/java", "-Xmx", "5", "alice"}, true},
        {"42 kworker", {"42", "kworker", "", "", ""}, true},
        {"9 averyveryverylongcommandnamethatgoesonandon 1 0 someone",
         {"9", "averyveryverylongcommandnamethatgoesonandon", "1", "0", "someone"}, true},
        {"   \t ", {"", "", "", "", ""}, false},
    };
    for (const auto& c : cases) {
        ProcessRow row;
        row.user = "stale";
        EXPECT_EQ(ProcessRow::FromLine(c.line, row), c.row) << c.line;
        Strings fields{row.processId.ToStdString(), row.command.ToStdString(), row.size.ToStdString(),
                       row.cpu.ToStdString(), row.user.ToStdString()};
        EXPECT_EQ(fields, c.fields) << c.line;
    }
}

TEST(ProcessRow, ColumnsCompareAsNumbersOrAsText)
{
    const struct {
        int column;
        const char* first;
        const char* second;
        int expected;
    } cases[] = {
        {0, "10", "9", -1},       // numbers, not text: the larger comes first
        {0, "9", "10", 1},
        {0, "12", "12", 0},       // equal stays equal, so the sort has a consistent order
        {2, " 300kB", "40", -1},  // the leading number counts
        {2, "abc", "0", 0},
        {3, "1.5", "1.25", -1},
        {3, "0.5", "2", 1},
        {1, "bash", "Xorg", 1},   // bytes: capitals before small letters
        {1, "Xorg", "bash", -1},
        {4, "root", "root", 0},
        {1, "sshd", "ssh", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProcessRow::CompareColumn(c.column, c.first, c.second), c.expected)
            << c.column << " " << c.first << " " << c.second;
}
