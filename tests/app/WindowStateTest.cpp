// The checks on the main window's saved layout and place, windowless.
#include "app/WindowState.h"

#include <gtest/gtest.h>

namespace {
const std::vector<wxString> kPanes = {"tb", "SiteTree", "notebook_content"};
const char* const kPane = ";caption=x;state=11004;dir=1;layer=10;row=0;pos=0;prop=100000;bestw=206;besth=42;"
                          "minw=-1;minh=-1;maxw=-1;maxh=-1;floatx=-1;floaty=-1;floatw=-1;floath=-1";

wxString Layout(const wxString& middle = "name=SiteTree", const wxString& docks = "dock_size(4,0,0)=202|")
{
    return "layout2|name=tb" + wxString(kPane) + "|" + middle + kPane + "|name=notebook_content" + kPane + "|" + docks;
}
}  // namespace

TEST(WindowStateTest, OnlyLayoutsTheDockingManagerWritesForOurPanesAreUsed)
{
    wxString why;
    EXPECT_TRUE(WindowState::UsableLayout(Layout(), kPanes, why)) << why;
    const wxString damaged[] = {
        "",
        "layout1|" + Layout().AfterFirst('|'),
        Layout().Left(Layout().length() / 2),                        // cut off
        Layout("name=Other"),                                         // a pane we do not have
        Layout("name=tb"),                                            // one pane twice, one missing
        Layout("name=SiteTree;bogus=1"),                              // a field the manager does not know
        Layout("name=SiteTree;dir=9"),                                // no such dock
        Layout("name=SiteTree;layer=1e3"),
        Layout("name=SiteTree\\|x"),                                  // escaped separators
        Layout("name=SiteTree", "dock_size(4,0,0)=99999999|"),        // a dock wider than any screen
        Layout("name=SiteTree", "dock_size(4,0)=200|"),
    };
    for (const wxString& layout : damaged) {
        why.clear();
        EXPECT_FALSE(WindowState::UsableLayout(layout, kPanes, why)) << layout;
        EXPECT_FALSE(why.empty()) << layout;
    }
}

TEST(WindowStateTest, APlaceIsReachableWhileEnoughOfItsTopEdgeIsOnAScreen)
{
    const std::vector<ScreenRect> two = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    const std::vector<ScreenRect> one = {two[0]};
    const ScreenRect onSecond = {2100, 100, 900, 600};
    EXPECT_TRUE(WindowState::Reachable(onSecond, two));
    EXPECT_FALSE(WindowState::Reachable(onSecond, one)) << "its screen is unplugged";
    EXPECT_TRUE(WindowState::Reachable({1820, 100, 900, 600}, one)) << "100 pixels of it still show";
    EXPECT_FALSE(WindowState::Reachable({1850, 100, 900, 600}, {{0, 0, 1920, 1080}, {1920, 300, 1280, 1024}}))
        << "70 pixels of title bar on one screen, the rest above the other";
    EXPECT_FALSE(WindowState::Reachable({100, -40, 900, 600}, one)) << "the title bar is above the screen";
    EXPECT_FALSE(WindowState::Reachable({100, 1060, 900, 600}, one)) << "only its top 20 pixels show";
    EXPECT_FALSE(WindowState::Reachable({-100000, 0, 900, 600}, two));
}
