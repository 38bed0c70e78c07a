#pragma once
// One chart series of a monitor page: its key ("CHART_X_TIME", "ALLCPU", "SYSCPU", "USRCPU" or
// "MEM") and its values as the vmstat parser wrote them, oldest first. A plain value: copies are deep.
#include <wx/arrstr.h>
#include <wx/string.h>

struct ChartSeries {
    wxString key;
    wxArrayString values;
};
