#pragma once
// One line of a line layer: its own copy of the values (one per point, from the left), its colour
// and the name its legend key shows (no key when empty). Values that are not finite leave a gap.
#include "monitor/chart/ChartColor.h"

#include <vector>
#include <wx/string.h>

namespace chart {

struct DataSet {
    std::vector<double> values;
    Color color;
    wxString name;
};

}  // namespace chart
