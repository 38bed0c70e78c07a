#include "app/WindowState.h"

#include "app/AppConfig.h"

#include <wx/log.h>
#include <wx/tokenzr.h>

#include <algorithm>
#include <map>
#include <set>

namespace {
const char* const kX = "/SHELLYARD/WINDOW/X";
const char* const kY = "/SHELLYARD/WINDOW/Y";
const char* const kWidth = "/SHELLYARD/WINDOW/WIDTH";
const char* const kHeight = "/SHELLYARD/WINDOW/HEIGHT";
const char* const kMaximized = "/SHELLYARD/WINDOW/MAXIMIZED";
const char* const kSitesList = "/SHELLYARD/WINDOW/SITESLIST";
const char* const kLayout = "/SHELLYARD/WINDOW/LAYOUT";

const size_t kMaxLayoutLength = 64 * 1024;
// A place further than this from the screens' origin is no place a screen ever had.
const long kMaxOffset = 100000;
// Sizes in a layout: larger than any screen, small enough that no sum overflows.
const long kMaxLayoutSize = 20000;

std::optional<long> Number(AppConfig& config, const char* key, long min, long max)
{
    long value = 0;
    if (config.ReadNumber(key, value, min, max))
        return value;
    return std::nullopt;
}

// The whole of text as a number from min to max.
bool NumberIn(const wxString& text, long long min, long long max)
{
    long long value = 0;
    return !text.empty() && text.ToLongLong(&value) && value >= min && value <= max;
}

// The fields the docking manager writes for each pane, with the range each number must lie in
// (directions 0 to 5, layers and rows up to 100, the state as 32 flag bits).
struct Field {
    long long min, max;
};
const std::map<wxString, Field>& PaneFields()
{
    static const std::map<wxString, Field> fields = {
        {"state", {0, 0xFFFFFFFFLL}},
        {"dir", {0, 5}},
        {"layer", {0, 100}},
        {"row", {0, 100}},
        {"pos", {0, kMaxLayoutSize}},
        {"prop", {0, 1000000}},
        {"bestw", {-1, kMaxLayoutSize}},
        {"besth", {-1, kMaxLayoutSize}},
        {"minw", {-1, kMaxLayoutSize}},
        {"minh", {-1, kMaxLayoutSize}},
        {"maxw", {-1, kMaxLayoutSize}},
        {"maxh", {-1, kMaxLayoutSize}},
        {"floatx", {-kMaxOffset, kMaxOffset}},
        {"floaty", {-kMaxOffset, kMaxOffset}},
        {"floatw", {-1, kMaxLayoutSize}},
        {"floath", {-1, kMaxLayoutSize}},
    };
    return fields;
}

// "dock_size(direction,layer,row)=size"
bool UsableDockSize(const wxString& part)
{
    wxString inner, size;
    if (!part.StartsWith("dock_size(", &inner))
        return false;
    size = inner.AfterFirst('=');
    inner = inner.BeforeFirst('=');
    if (!inner.EndsWith(")", &inner))
        return false;
    wxArrayString numbers = wxSplit(inner, ',', '\0');
    return numbers.size() == 3 && NumberIn(numbers[0], 0, 5) && NumberIn(numbers[1], 0, 100) &&
           NumberIn(numbers[2], 0, 100) && NumberIn(size, 0, kMaxLayoutSize);
}
}  // namespace

WindowState WindowState::Read(long screensWidth, long screensHeight)
{
    AppConfig& config = AppConfig::Instance();
    WindowState state;
    state.x = Number(config, kX, -kMaxOffset, kMaxOffset);
    state.y = Number(config, kY, -kMaxOffset, kMaxOffset);
    state.width = Number(config, kWidth, WindowState::kMinWidth, std::max(WindowState::kMinWidth, screensWidth));
    state.height = Number(config, kHeight, WindowState::kMinHeight, std::max(WindowState::kMinHeight, screensHeight));
    if (auto maximized = Number(config, kMaximized, 0, 1))
        state.maximized = *maximized == 1;
    if (auto shown = Number(config, kSitesList, 0, 1))
        state.sitesListShown = *shown == 1;
    wxString layout;
    if (config.ReadText(kLayout, layout, kMaxLayoutLength))
        state.layout = layout;
    return state;
}

void WindowState::Write() const
{
    std::vector<std::pair<wxString, wxString>> values;
    auto number = [&](const char* key, const std::optional<long>& value) {
        if (value)
            values.emplace_back(key, wxString::Format("%ld", *value));
    };
    number(kX, x);
    number(kY, y);
    number(kWidth, width);
    number(kHeight, height);
    if (maximized)
        values.emplace_back(kMaximized, *maximized ? "1" : "0");
    if (sitesListShown)
        values.emplace_back(kSitesList, *sitesListShown ? "1" : "0");
    if (layout)
        values.emplace_back(kLayout, *layout);
    AppConfig::Instance().WriteSettings(values);
}

bool WindowState::Reachable(const ScreenRect& window, const std::vector<ScreenRect>& screens)
{
    // The strip the title bar is in: enough of it must show to take it with the mouse.
    const long need = std::min<long>(100, window.width);
    for (const ScreenRect& screen : screens) {
        long left = std::max<long>(window.x, screen.x);
        long right = std::min<long>(long(window.x) + window.width, long(screen.x) + screen.width);
        bool topOnScreen = window.y >= screen.y && window.y < long(screen.y) + screen.height - 30;
        if (topOnScreen && right - left >= need)
            return true;
    }
    return false;
}

bool WindowState::UsableLayout(const wxString& layout, const std::vector<wxString>& paneNames, wxString& why)
{
    // The manager escapes its separators with a backslash; none of our panes' captions has one,
    // and with none the layout splits plainly.
    if (layout.Find('\\') != wxNOT_FOUND) {
        why = "it holds a backslash";
        return false;
    }
    wxArrayString parts = wxSplit(layout, '|', '\0');
    if (parts.empty() || parts[0] != "layout2") {
        why = "it does not begin with \"layout2|\"";
        return false;
    }
    const std::set<wxString> wanted(paneNames.begin(), paneNames.end());
    std::set<wxString> seen;
    for (size_t i = 1; i < parts.size(); ++i) {
        const wxString& part = parts[i];
        if (part.empty())
            continue;
        if (part.StartsWith("dock_size")) {
            if (!UsableDockSize(part)) {
                why = wxString::Format("part %zu (%s) is no dock size", i, part.Left(40));
                return false;
            }
            continue;
        }
        wxString name;
        std::set<wxString> fields;
        for (const wxString& field : wxSplit(part, ';', '\0')) {
            wxString key = field.BeforeFirst('='), value = field.AfterFirst('=');
            if (field.Find('=') == wxNOT_FOUND || !fields.insert(key).second) {
                why = wxString::Format("part %zu has \"%s\" twice or without a value", i, key.Left(40));
                return false;
            }
            if (key == "name") {
                name = value;
            } else if (key != "caption") {
                auto known = PaneFields().find(key);
                if (known == PaneFields().end() || !NumberIn(value, known->second.min, known->second.max)) {
                    why = wxString::Format("part %zu has \"%s\"", i, field.Left(40));
                    return false;
                }
            }
        }
        if (!wanted.count(name) || !seen.insert(name).second) {
            why = wxString::Format("part %zu is for the pane \"%s\", unknown or named twice", i, name.Left(40));
            return false;
        }
    }
    if (seen.size() != wanted.size()) {
        why = "it lacks a pane";
        return false;
    }
    return true;
}
