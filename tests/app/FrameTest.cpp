// The main window as a user meets it: menus, toolbar, panes, quitting, full screen, the sites-list
// toggle and the About box. Real frame under Xvfb; dialogs answered by script.
#include "support/FrameFixture.h"

#include "app/AppConfig.h"
#include "dialogs/ShellyardAboutDialog.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <wx/fileconf.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/statbmp.h>
#include <wx/toolbar.h>
#include <wx/uiaction.h>

namespace {
class FrameTest : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        CreateDatabase();
    }
    bool PaneShown(const char* name) { return FrameProbe::Aui(frame).GetPane(name).IsShown(); }
    void ExpectQuitQuestion(int answer)
    {
        ModalScript::Get().ExpectMessage("Are you sure you want to close all loggin sites and quite?", "Shellyard",
                                         wxYES_NO, answer);
    }
};

struct MenuRow {
    int menu;
    const char* label;
    int id;  // 0: identifier assigned by the toolkit, looked up by label
    wxItemKind kind;
    int accelFlags;
    int accelKey;
    const char* help;
    bool checked;
};
}  // namespace

TEST_F(FrameTest, StartsCentredWithTitleSizeAndAllPanes)
{
    CreateFrame();
    EXPECT_EQ(frame->GetTitle(), "Shellyard");
    EXPECT_EQ(frame->GetSize(), wxSize(1156, 805));
    wxRect screen = wxGetClientDisplayRect();
    wxPoint centre = frame->GetRect().GetPosition() + wxPoint(1156 / 2, 805 / 2);
    EXPECT_NEAR(centre.x, screen.GetWidth() / 2, 40);
    EXPECT_NEAR(centre.y, screen.GetHeight() / 2, 40);

    wxAuiManager& aui = FrameProbe::Aui(frame);
    for (const char* pane : {"tb", "loginpanel", "mcspanel", "SiteTree", "notebook_content"})
        EXPECT_TRUE(aui.GetPane(pane).IsOk() && aui.GetPane(pane).IsShown()) << pane;
    EXPECT_EQ(aui.GetPane("tb").caption, "Toolbar");
    EXPECT_EQ(aui.GetPane("loginpanel").caption, "Quick Login");
    EXPECT_EQ(aui.GetPane("mcspanel").caption, "MCS Tool");
    EXPECT_EQ(aui.GetPane("SiteTree").caption, "Sites List");
    EXPECT_EQ(aui.GetPane("SiteTree").dock_direction, wxAUI_DOCK_LEFT);
    EXPECT_TRUE(aui.GetPane("SiteTree").HasPinButton());
    EXPECT_FALSE(aui.GetPane("SiteTree").HasCloseButton());
    EXPECT_EQ(aui.GetPane("tb").dock_direction, wxAUI_DOCK_TOP);
    EXPECT_TRUE(aui.GetPane("notebook_content").IsOk());
    EXPECT_EQ(aui.GetPane("notebook_content").window, FrameProbe::Notebook(frame));
    EXPECT_EQ(FrameProbe::Tree(frame)->GetId(), 408);
    EXPECT_EQ(frame->GetStatusBar()->GetFieldsCount(), 2);
}

TEST_F(FrameTest, MenusCarryTheirLabelsIdentifiersAcceleratorsAndHelp)
{
    CreateFrame();
    wxMenuBar* bar = frame->GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), 4u);
    EXPECT_EQ(bar->GetMenuLabel(0), "&File");
    EXPECT_EQ(bar->GetMenuLabel(1), "&View");
    EXPECT_EQ(bar->GetMenuLabel(2), "&Tool");
    EXPECT_EQ(bar->GetMenuLabel(3), "&Help");

    const MenuRow rows[] = {
        {0, "&New Connection", 0, wxITEM_NORMAL, wxACCEL_ALT, 'N', "", false},
        {0, "Import Sites...", 1003, wxITEM_NORMAL, 0, 0,
         "Sites from the OpenSSH configuration or PuTTY's saved sessions", false},
        {0, "&Quit", 1000, wxITEM_NORMAL, wxACCEL_ALT, WXK_F4, "Quit the application", false},
        {1, "View Sites List", 1001, wxITEM_CHECK, 0, 0, "", true},
        {1, "&Full Screen", 0, wxITEM_CHECK, wxACCEL_ALT, 'F', "", false},
        {2, "Putty Configuration", 0, wxITEM_NORMAL, 0, 0, "", false},
        {2, "Options", 0, wxITEM_NORMAL, 0, 0, "", false},
        {3, "&About", 1002, wxITEM_NORMAL, 0, WXK_F1, "Show info about this application", false},
    };
    for (const MenuRow& row : rows) {
        wxMenu* menu = bar->GetMenu(row.menu);
        wxMenuItem* item = nullptr;
        for (wxMenuItem* candidate : menu->GetMenuItems())
            if (candidate->GetItemLabelText() == wxMenuItem::GetLabelText(row.label))
                item = candidate;
        ASSERT_NE(item, nullptr) << row.label;
        EXPECT_EQ(item->GetItemLabel().BeforeFirst('\t'), row.label);
        if (row.id) {
            EXPECT_EQ(item->GetId(), row.id) << row.label;
        }
        EXPECT_EQ(item->GetKind(), row.kind) << row.label;
        EXPECT_EQ(item->GetHelp(), row.help) << row.label;
        EXPECT_EQ(item->IsCheckable() && item->IsChecked(), row.checked) << row.label;
        wxAcceleratorEntry* accel = item->GetAccel();
        if (row.accelKey) {
            ASSERT_NE(accel, nullptr) << row.label;
            EXPECT_EQ(accel->GetFlags(), row.accelFlags) << row.label;
            EXPECT_EQ(accel->GetKeyCode(), row.accelKey) << row.label;
        } else {
            EXPECT_EQ(accel, nullptr) << row.label;
        }
        delete accel;
    }
    // Separators after "Import Sites..." and after "Putty Configuration".
    EXPECT_TRUE(bar->GetMenu(0)->FindItemByPosition(2)->IsSeparator());
    EXPECT_TRUE(bar->GetMenu(2)->FindItemByPosition(1)->IsSeparator());
    EXPECT_TRUE(bar->GetMenu(0)->FindItemByPosition(0)->GetBitmap().IsOk());
    EXPECT_TRUE(bar->GetMenu(2)->FindItemByPosition(0)->GetBitmap().IsOk());
}

TEST_F(FrameTest, ToolbarHasFiveToolsWithTheirHelp)
{
    CreateFrame();
    wxToolBar* tools = FrameProbe::ToolBar(frame);
    struct Tool {
        int id;
        const char* label;
        const char* tip;
        const char* help;
    };
    const Tool expected[] = {
        {281, "Quit", "Quit", "Quit Application."},
        {282, "Connection", "New connection", "Add a connection site."},
        {289, "FullScreen", "View Full Screen", "View Full Screen."},
        {286, "Upgrade", "Upgrade Shellyard", "Check a new version of Shellyard."},
        {287, "Donation", "Donate Us", "Donate to support Shellyard development."},
    };
    ASSERT_EQ(tools->GetToolsCount(), 6u);  // five tools and the separator after Quit
    EXPECT_TRUE(tools->GetToolByPos(1)->IsSeparator());
    int position = 0;
    for (const Tool& tool : expected) {
        if (position == 1)
            ++position;
        wxToolBarToolBase* found = tools->FindById(tool.id);
        ASSERT_NE(found, nullptr) << tool.id;
        EXPECT_EQ(tools->GetToolPos(tool.id), position++) << tool.id;
        EXPECT_EQ(found->GetLabel(), tool.label);
        EXPECT_EQ(found->GetShortHelp(), tool.tip);
        EXPECT_EQ(found->GetLongHelp(), tool.help);
        EXPECT_TRUE(found->GetNormalBitmap().IsOk());
        EXPECT_EQ(found->GetNormalBitmap().GetSize(), wxSize(16, 16));
    }
}

TEST_F(FrameTest, QuitFromMenuAndToolAsksAndNoKeepsTheWindow)
{
    CreateFrame();
    for (int id : {1000, 281}) {
        ExpectQuitQuestion(wxID_NO);
        FrameProbe::Command(frame, id);
        ModalScript::Get().Verify();
        PumpEvents();
        ASSERT_TRUE(frame) << id;
    }
    ExpectQuitQuestion(wxID_YES);
    FrameProbe::Command(frame, 281);
    EXPECT_TRUE(WaitFor([this] { return !frame; }));
}

TEST_F(FrameTest, QuitFromMenuWithYesClosesTheWindow)
{
    CreateFrame();
    ExpectQuitQuestion(wxID_YES);
    FrameProbe::Command(frame, 1000);
    EXPECT_TRUE(WaitFor([this] { return !frame; }));
}

TEST_F(FrameTest, AltF4AsksBeforeQuitting)
{
    CreateFrame();
    // Alt+F4 typed into the window reaches the Quit item through the menu accelerator.
    frame->Raise();
    wxUIActionSimulator keyboard;
    keyboard.MouseMove(frame->GetScreenPosition() + wxPoint(600, 400));
    FrameProbe::Tree(frame)->SetFocus();
    PumpEvents();
    ExpectQuitQuestion(wxID_NO);
    keyboard.Char(WXK_F4, wxMOD_ALT);
    EXPECT_TRUE(WaitFor([] { return ModalScript::Get().AllShown(); }, std::chrono::seconds(5)));
    EXPECT_TRUE(frame);
}

TEST_F(FrameTest, CloseBoxClosesWithoutAsking)
{
    CreateFrame();
    frame->Close();
    EXPECT_TRUE(WaitFor([this] { return !frame; }));
    EXPECT_EQ(ModalScript::Get().AllShown(), true);
}

TEST_F(FrameTest, FullScreenTwiceReturnsToTheNormalWindow)
{
    CreateFrame();
    int fullScreen = FrameProbe::FullScreenId(frame);
    FrameProbe::Command(frame, fullScreen);
    EXPECT_TRUE(frame->IsFullScreen());
    EXPECT_EQ(ShellyardFrame::panesShown, 0);
    for (const char* pane : {"tb", "loginpanel", "mcspanel", "SiteTree"})
        EXPECT_FALSE(PaneShown(pane)) << pane;
    EXPECT_TRUE(PaneShown("notebook_content"));

    FrameProbe::Command(frame, fullScreen);
    EXPECT_FALSE(frame->IsFullScreen());
    EXPECT_EQ(ShellyardFrame::panesShown, 1);
    // The window gets its own size back (GTK without a window manager sometimes drops that resize).
    EXPECT_TRUE(WaitFor([this] { return frame->GetSize() == wxSize(1156, 805); }, std::chrono::seconds(3)))
        << frame->GetSize().x << "x" << frame->GetSize().y;
    for (const char* pane : {"tb", "loginpanel", "mcspanel", "SiteTree", "notebook_content"})
        EXPECT_TRUE(PaneShown(pane)) << pane;

    // The toolbar tool toggles the same way.
    FrameProbe::Command(frame, 289);
    EXPECT_TRUE(frame->IsFullScreen());
    FrameProbe::Command(frame, 289);
    EXPECT_FALSE(frame->IsFullScreen());
}

TEST_F(FrameTest, HiddenSitesListStaysHiddenAcrossFullScreen)
{
    CreateFrame();
    FrameProbe::Command(frame, 1001);
    EXPECT_FALSE(PaneShown("SiteTree"));
    EXPECT_FALSE(frame->GetMenuBar()->IsChecked(1001));
    EXPECT_EQ(ShellyardFrame::sitesListShown, 0);

    int fullScreen = FrameProbe::FullScreenId(frame);
    FrameProbe::Command(frame, fullScreen);
    FrameProbe::Command(frame, fullScreen);
    EXPECT_FALSE(PaneShown("SiteTree"));
    EXPECT_TRUE(PaneShown("tb"));
    EXPECT_TRUE(PaneShown("loginpanel"));

    FrameProbe::Command(frame, 1001);
    EXPECT_TRUE(PaneShown("SiteTree"));
    EXPECT_TRUE(frame->GetMenuBar()->IsChecked(1001));
}

TEST_F(FrameTest, ToolbarCommandsWithoutAToolAnswerAsDispatched)
{
    CreateFrame();
    FrameProbe::Command(frame, 285);  // does nothing: any dialog would fail the test
    for (int id : {283, 284, 288, 290, 291}) {
        ModalScript::Get().ExpectMessage("Not implement yet.", wxMessageBoxCaptionStr, wxOK | wxCENTRE, wxID_OK);
        FrameProbe::Command(frame, id);
        ModalScript::Get().Verify();
    }
    EXPECT_TRUE(frame);
}

TEST_F(FrameTest, FirstStartWritesTheTerminalProgramLocations)
{
    CreateFrame();
    wxFileConfig config(wxEmptyString, wxEmptyString, programDir + "/shellyard.ini", wxEmptyString,
                        wxCONFIG_USE_LOCAL_FILE);
    EXPECT_EQ(config.Read("/SHELLYARD/LANGUAGE", ""), "eng");
    EXPECT_EQ(config.Read("/SHELLYARD/PLUGIN/PUTTY", ""), "/usr/bin/putty");
    EXPECT_EQ(config.Read("/SHELLYARD/PLUGIN/PLINK", ""), "/usr/bin/plink");
    EXPECT_EQ(FrameProbe::PuttyPath(frame), "/usr/bin/putty");
    EXPECT_EQ(FrameProbe::PlinkPath(frame), "/usr/bin/plink");
}

TEST_F(FrameTest, StoredLocationsAreKeptAndOneMissingResetsBoth)
{
    std::filesystem::create_directories(programDir);
    WriteFile(programDir + "/shellyard.ini", "[SHELLYARD]\nLANGUAGE=eng\n[SHELLYARD/PLUGIN]\n"
                                             "PUTTY=/opt/putty/putty\nPLINK=/opt/putty/plink\n");
    CreateFrame();
    EXPECT_EQ(FrameProbe::PuttyPath(frame), "/opt/putty/putty");
    EXPECT_EQ(FrameProbe::PlinkPath(frame), "/opt/putty/plink");
    DestroyFrame();

    WriteFile(programDir + "/shellyard.ini", "[SHELLYARD]\nLANGUAGE=eng\n[SHELLYARD/PLUGIN]\n"
                                             "PUTTY=/opt/putty/putty\nPLINK=\n");
    CreateFrame();
    EXPECT_EQ(FrameProbe::PuttyPath(frame), "/usr/bin/putty");
    EXPECT_EQ(FrameProbe::PlinkPath(frame), "/usr/bin/plink");
}

TEST_F(FrameTest, LogGoesToTheWorkingDirectoryAndTheSettingsToTheProgramDirectory)
{
    CreateFrame();
    wxLogMessage("frame test marker");
    EXPECT_NE(ReadFile(workDir + "/Shellyard.txt").find("] frame test marker"), std::string::npos);
    EXPECT_TRUE(FileExists(programDir + "/shellyard.ini"));
    EXPECT_FALSE(FileExists(workDir + "/shellyard.ini"));
}

TEST_F(FrameTest, AboutShowsTheVersionAndBothPictures)
{
    EXPECT_EQ(ShellyardAboutDialog::VersionText().BeforeFirst('\n', nullptr), "Version: Beta 1.0 Build 351");
    EXPECT_TRUE(ShellyardAboutDialog::VersionText().StartsWith(
        "Version: Beta 1.0 Build 351\nOn [2012-03-29 15:18:09]\n\n"));

    CreateFrame();
    ModalScript::Get().ExpectDialog<ShellyardAboutDialog>("About box", [](ShellyardAboutDialog* about) {
        EXPECT_EQ(about->GetTitle(), "About Shellyard");
        EXPECT_EQ(about->GetBackgroundColour(), wxColour(255, 255, 255));
        EXPECT_EQ(about->GetParent() != nullptr, true);
        wxStaticBitmap* picture = FrameProbe::AboutPicture(about);
        wxStaticBitmap* banner = FrameProbe::AboutBanner(about);
        EXPECT_EQ(picture->GetBitmap().GetSize(), wxSize(180, 249));
        EXPECT_EQ(banner->GetBitmap().GetSize(), wxSize(173, 53));
        EXPECT_EQ(FrameProbe::AboutVersion(about), ShellyardAboutDialog::VersionText());
        // Nothing is cut off: the version text gets its full width and the last link is inside.
        wxWindow* version = FrameProbe::AboutVersionLabel(about);
        EXPECT_GE(version->GetSize().x, version->GetBestSize().x);
        wxRect link = FrameProbe::AboutHomeLink(about)->GetRect();
        EXPECT_TRUE(about->GetClientRect().Contains(link.GetBottomRight())) << link.GetBottom();
        EXPECT_GE(about->GetSize().x, 356);
        EXPECT_GE(about->GetSize().y, 289);
        return wxID_CANCEL;
    });
    FrameProbe::Command(frame, 1002);
}

