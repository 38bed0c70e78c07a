#pragma once
// What the main window keeps of itself from one run to the next: its place and size while neither
// maximized nor full screen, whether it is maximized, the docking manager's layout and whether the
// sites list is shown. Kept in the settings file under "/SHELLYARD/WINDOW/". Needs no window: the
// frame hands in what it knows of the screens.
#include <wx/string.h>

#include <optional>
#include <vector>

struct ScreenRect {
    int x = 0, y = 0, width = 0, height = 0;
};

struct WindowState {
    // Smaller than this, the menu bar and the panes no longer fit.
    static constexpr long kMinWidth = 200, kMinHeight = 150;

    // Each holds a value only when the settings file held a usable one.
    std::optional<long> x, y, width, height;
    std::optional<bool> maximized, sitesListShown;
    std::optional<wxString> layout;

    // Reads what the settings file holds. A value that cannot be right is left out with one log
    // line: a size below 200x150 or beyond the screens (given as the extent of all of them), a
    // place far beyond any screen, a layout longer than 64 KiB, anything that is no UTF-8 text.
    static WindowState Read(long screensWidth, long screensHeight);
    void Write() const;

    // True when a window at this place and of this size can be reached by the user: a good part of
    // its top edge, where the title bar is, lies on one of the screens.
    static bool Reachable(const ScreenRect& window, const std::vector<ScreenRect>& screens);

    // Whether layout is one the docking manager wrote for exactly these panes: every pane once,
    // only the fields it writes, each number in range. Otherwise why says what is wrong with it.
    static bool UsableLayout(const wxString& layout, const std::vector<wxString>& paneNames, wxString& why);
};
