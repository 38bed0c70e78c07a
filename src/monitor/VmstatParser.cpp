#include "monitor/VmstatParser.h"

#include "monitor/NumberText.h"

#include <algorithm>
#include <wx/intl.h>

namespace {
// Pieces between blanks; runs of blanks give no empty pieces, and a tab or the line feed stays part
// of its piece.
wxArrayString SplitOnBlanks(const wxString& line)
{
    wxArrayString tokens;
    wxString token;
    for (wxUniChar c : line) {
        if (c == ' ') {
            if (!token.empty())
                tokens.Add(token);
            token.clear();
        } else {
            token += c;
        }
    }
    if (!token.empty())
        tokens.Add(token);
    return tokens;
}
}  // namespace

void VmstatParser::ScanHeader(const wxArrayString& tokens)
{
    // The first test that holds decides; a later column of the same kind wins (the CPU "sy" comes
    // after the interrupts' "sy" in AIX and HP-UX headers).
    for (size_t k = 0; k < tokens.size() && k <= 0x7fff; ++k) {
        const wxString& token = tokens[k];
        short position = static_cast<short>(k);
        if (token.Contains("fre"))
            freeColumn = position;
        else if (token.Contains("us"))
            userColumn = position;
        else if (token.Contains("sy"))
            sysColumn = position;
        else if (token.Contains("id"))
            idleColumn = position;
    }
}

bool VmstatParser::ParseLine(const wxString& line, ChartSeriesList& series, const wxDateTime& now)
{
    if (line.empty())
        return false;
    if (line.Contains("id"))
        ScanHeader(SplitOnBlanks(line));
    // Group titles, column names and dash rules are not data.
    if (line.Contains(_("cpu")) || line.Contains(_("id")) || line.Contains(_("-")))
        return false;

    lineTokens = SplitOnBlanks(line);
    // Until a header has named every column there is nothing to read; a line too short for any of
    // the four columns (a diagnostic, a line cut short) is not data either.
    short last = std::max({freeColumn, userColumn, sysColumn, idleColumn});
    if (std::min({freeColumn, userColumn, sysColumn, idleColumn}) < 0 || lineTokens.size() <= size_t(last))
        return false;

    series.AddValue("CHART_X_TIME", now.Format("%H:%M"));
    series.AddValue("ALLCPU", wxString::Format("%d", 100 - NumberText::Integer(lineTokens[idleColumn])));
    series.AddValue("SYSCPU", wxString::Format("%d", NumberText::Integer(lineTokens[sysColumn])));
    series.AddValue("USRCPU", wxString::Format("%d", NumberText::Integer(lineTokens[userColumn])));
    series.AddValue("MEM", NumberText::OneDecimal(NumberText::Real(lineTokens[freeColumn]) * 0.0009765625));
    return true;
}
