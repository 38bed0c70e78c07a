#pragma once
// Turns the lines of a running "vmstat" into chart values. The columns of free memory and of user,
// system and idle CPU are found by name in every header line, since AIX, HP-UX and Linux order them
// differently; each data line then appends one point to the five series "CHART_X_TIME", "ALLCPU",
// "SYSCPU", "USRCPU" and "MEM". Windowless.
#include "monitor/ChartSeriesList.h"

#include <wx/arrstr.h>
#include <wx/datetime.h>
#include <wx/string.h>

class VmstatParser {
public:
    // One line as the program printed it, its line feed included. Returns true when it was a data
    // line and one value was appended to each series (the time label formatted from now).
    bool ParseLine(const wxString& line, ChartSeriesList& series, const wxDateTime& now);

    // Token positions of the four columns; -1 until a header line has named them.
    short freeColumn = -1;
    short userColumn = -1;
    short sysColumn = -1;
    short idleColumn = -1;
    // Tokens of the last data line.
    wxArrayString lineTokens;

private:
    void ScanHeader(const wxArrayString& tokens);
};
