// The monitor's remote output as it arrives: pieces of any size cut into lines, each line read as
// vmstat reads it into the chart series and as a process-list row, rows compared by every column as
// the list sorts them. Besides the sanitizers' findings it checks that each line is whole (one line
// feed, at its end), that the series stay in step and within their length, and that comparing rows
// is a consistent order (what a sort relies on).
#include "fuzz/FuzzCheck.h"
#include "fuzz/ToolkitAsserts.h"
#include "monitor/ChartSeriesList.h"
#include "monitor/OutputLines.h"
#include "monitor/ProcessRow.h"
#include "monitor/VmstatParser.h"

#include <string>

namespace {
const char* const SeriesKeys[] = {"CHART_X_TIME", "ALLCPU", "SYSCPU", "USRCPU", "MEM"};

const wxString& Field(const ProcessRow& row, int column)
{
    const wxString* fields[] = {&row.processId, &row.command, &row.size, &row.cpu, &row.user};
    return *fields[column];
}

void CheckOrder(const ProcessRow& a, const ProcessRow& b)
{
    for (int column = 0; column < 5; ++column) {
        const wxString &x = Field(a, column), &y = Field(b, column);
        FUZZ_CHECK(ProcessRow::CompareColumn(column, x, x) == 0);
        FUZZ_CHECK(ProcessRow::CompareColumn(column, x, y) == -ProcessRow::CompareColumn(column, y, x));
    }
}

struct Reader {
    VmstatParser vmstat;
    ChartSeriesList series;
    ProcessRow previous;
    size_t points = 0;
    const wxDateTime now{1, wxDateTime::Jun, 2024, 12, 34, 56};

    void Read(const wxString& line)
    {
        if (vmstat.ParseLine(line, series, now))
            ++points;
        ProcessRow row;
        if (ProcessRow::FromLine(line, row)) {
            FUZZ_CHECK(!row.processId.empty());
            CheckOrder(previous, row);
            previous = row;
        }
    }
};
}  // namespace

// The first byte is the size of the pieces the output arrives in (1 to 256 bytes).
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    ToolkitAssertsAbort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t piece = size_t(data[0]) + 1;
    OutputLines output;
    Reader reader;
    for (size_t at = 1; at < size; at += piece) {
        output.Add(std::string(reinterpret_cast<const char*>(data) + at, std::min(piece, size - at)));
        wxString line;
        while (output.Next(line)) {
            FUZZ_CHECK(!line.empty() && line.Last() == '\n' && line.find('\n') == line.length() - 1);
            reader.Read(line);
        }
    }
    // A program that ended in mid-line leaves its last line without a line feed.
    const wxString rest = output.TakeRest();
    FUZZ_CHECK(rest.find('\n') == wxString::npos);
    reader.Read(rest);

    const size_t expected = std::min(reader.points, ChartSeriesList::MaxValues);
    for (const char* key : SeriesKeys)
        FUZZ_CHECK(reader.series.GetValues(key).size() == expected);
    return 0;
}
