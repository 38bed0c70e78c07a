#include "monitor/chart/ChartFont.h"

namespace chart {

namespace {
struct FontFile {
    const char* name;  // file base name or family name, compared without case
    const char* face;
    bool bold, italic;
};

const FontFile kFonts[] = {
    {"arial", "Liberation Sans", false, false},       {"arialbd", "Liberation Sans", true, false},
    {"ariali", "Liberation Sans", false, true},       {"arialbi", "Liberation Sans", true, true},
    {"times", "Liberation Serif", false, false},      {"timesbd", "Liberation Serif", true, false},
    {"timesi", "Liberation Serif", false, true},      {"timesbi", "Liberation Serif", true, true},
    {"cour", "Liberation Mono", false, false},        {"courbd", "Liberation Mono", true, false},
    {"couri", "Liberation Mono", false, true},        {"courbi", "Liberation Mono", true, true},
    {"times new roman", "Liberation Serif", false, false}, {"courier new", "Liberation Mono", false, false},
};
}  // namespace

wxFont ChartFont(const wxString& name, double pointSize)
{
    wxString key = name.Lower();
    key.EndsWith(".ttf", &key);
    if (key.empty())
        key = "arial";

    // The face name is always given: without one the toolkit asks the desktop for its default
    // font, which needs a display.
    wxFontInfo info(pointSize);
    info.FaceName(key);
    for (const FontFile& f : kFonts) {
        if (key == f.name) {
            info.FaceName(f.face).Bold(f.bold).Italic(f.italic);
            break;
        }
    }
    return wxFont(info);
}

}  // namespace chart
