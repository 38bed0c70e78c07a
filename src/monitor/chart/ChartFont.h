#pragma once
// Fonts of the chart layer, asked for by the names of the charting library this layer replaces
// ("arial.ttf", "timesbd.ttf", "Arial", ...) and found as their metric-compatible Liberation
// fonts, so texts take the room the callers planned for. Sizes are points at 96 dots per inch.
#include <wx/font.h>
#include <wx/string.h>

namespace chart {

// The font for a library font name (empty: the default, "arial.ttf"). Unknown names are taken as
// a face name, which the system's font matching resolves or replaces.
wxFont ChartFont(const wxString& name, double pointSize);

}  // namespace chart
