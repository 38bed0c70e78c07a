// The site tree as a user meets it: the stored sites with their detail lines, double-click and the
// context menus, deleting, monitoring, connecting all sites and adding a site through the editor.
// Editing, folders, Find and post-login commands: SitesWorkspaceTest.
// Real frame under Xvfb with a real site database; dialogs answered by script.
#include "support/SiteTreeFixture.h"

#include "app/SiteTreeItemData.h"
#include "monitor/ShellyardMonPanel.h"
#include "session/ShellyardConnPanel.h"
#include "session/TerminalProcess.h"
#include "storage/SiteStore.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <wx/dcclient.h>
#include <gtk/gtk.h>
#include <sqlite3.h>
#include <string>
#include <vector>
#include <wx/uiaction.h>

namespace {
using In = NewSiteDialogProbe;

class SiteTreeTest : public SiteTreeFixture {
protected:
    // How many pixels of a node's line from labelX on, as the X server holds the tree's window,
    // differ from the line's background: none when the line is drawn without its text. (The line's
    // own rectangle is asked for, not the label's, which would need the label.)
    int LabelInk(const wxTreeItemId& node, int labelX, wxTreeCtrl* tree = nullptr)
    {
        if (!tree)
            tree = Tree();
        wxRect rect;
        if (!tree->GetBoundingRect(node, rect) || !wxRect(tree->GetClientSize()).Contains(rect))
            return 0;
        rect.x = labelX;
        rect.width = 40;
        GdkPixbuf* picture = gdk_pixbuf_get_from_window(tree->GTKGetDrawingWindow(), rect.x, rect.y,
                                                        rect.width, rect.height);
        if (!picture)
            return 0;
        const guchar* pixels = gdk_pixbuf_get_pixels(picture);
        const int stride = gdk_pixbuf_get_rowstride(picture), channels = gdk_pixbuf_get_n_channels(picture);
        int ink = 0;
        for (int y = 0; y < rect.height; ++y)
            for (int x = 0; x < rect.width; ++x)
                ink += std::memcmp(pixels + y * stride + x * channels, pixels, 3) != 0;
        g_object_unref(picture);
        return ink;
    }
};
}  // namespace

TEST_F(SiteTreeTest, StoredSitesAppearInDatabaseOrderWithFourCollapsedDetailLines)
{
    CreateDatabase({{"pw", "root", "ssh", "10.0.0.1", "web", "22"},
                    {"", "", "telnet", "10.0.0.2", "switch", "23"},
                    {"", "admin", "ssh", "10.0.0.3", "db", "2222"}});
    CreateFrame();
    EXPECT_EQ(Tree()->GetItemText(Root()), "Sites List");
    EXPECT_TRUE(Tree()->IsExpanded(Root()));
    EXPECT_EQ(Tree()->GetItemImage(Root(), wxTreeItemIcon_Normal), 0);
    EXPECT_EQ(Tree()->GetItemImage(Root(), wxTreeItemIcon_Selected), 1);
    auto* rootData = dynamic_cast<SiteTreeItemData*>(Tree()->GetItemData(Root()));
    ASSERT_TRUE(rootData);
    EXPECT_EQ(rootData->GetKind(), "Root item");
    EXPECT_EQ(Tree()->GetImageList()->GetImageCount(), 7);

    EXPECT_EQ(Labels(Root()), (std::vector<std::string>{"web", "switch", "db"}));
    // The Auto line says whether a user name is stored; an SSH user without a password logs in
    // through the agent or a key.
    EXPECT_EQ(Labels(Site("web")), (std::vector<std::string>{"Host:10.0.0.1", "Type:ssh", "Port:22", "Auto:Yes"}));
    EXPECT_EQ(Labels(Site("switch")),
              (std::vector<std::string>{"Host:10.0.0.2", "Type:telnet", "Port:23", "Auto:No"}));
    EXPECT_EQ(Labels(Site("db")),
              (std::vector<std::string>{"Host:10.0.0.3", "Type:ssh", "Port:2222", "Auto:Yes (key)"}));
    for (const wxTreeItemId& site : Children(Root())) {
        EXPECT_FALSE(Tree()->IsExpanded(site));
        EXPECT_EQ(Tree()->GetItemImage(site, wxTreeItemIcon_Normal), 2);
        EXPECT_EQ(Tree()->GetItemImage(site, wxTreeItemIcon_Selected), 2);
        auto* data = dynamic_cast<SiteTreeItemData*>(Tree()->GetItemData(site));
        ASSERT_TRUE(data);
        EXPECT_EQ(data->GetKind(), "SiteItem");
        for (const wxTreeItemId& line : Children(site)) {
            EXPECT_EQ(Tree()->GetItemImage(line, wxTreeItemIcon_Normal), 6);
            EXPECT_EQ(Tree()->GetItemImage(line, wxTreeItemIcon_Selected), 6);
            EXPECT_EQ(Tree()->GetItemData(line), nullptr);
        }
    }
}

TEST_F(SiteTreeTest, EmptyTableOrAFileWithoutTheTableShowsOnlyTheRoot)
{
    CreateDatabase();
    CreateFrame();
    EXPECT_EQ(Tree()->GetItemText(Root()), "Sites List");
    EXPECT_EQ(Tree()->GetChildrenCount(Root()), 0u);
    DestroyFrame();

    // A database without the site table: the store says so, and the tree stays empty.
    RunSql("drop table tbl_hostsite; create table other(x text);");
    ModalScript::Get().ExpectMessage("The Database file is incorrect! Please reinstall the software or recreate database.",
                                     "Shellyard", wxOK | wxICON_ERROR, wxID_OK);
    CreateFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(Tree()->GetChildrenCount(Root()), 0u);
}

TEST_F(SiteTreeTest, MoreSitesThanASignedShortCountAllShow)
{
    std::vector<Row> rows;
    for (int i = 0; i < 32800; ++i)
        rows.push_back({"", "", "ssh", "10.1." + std::to_string(i), "site" + std::to_string(i), "22"});
    const std::string longName = "site31000 with a name far longer than that of any other site in this tree";
    rows[31000][4] = longName;
    CreateDatabase(rows);
    CreateFrame();
    ASSERT_EQ(Tree()->GetChildrenCount(Root(), false), 32800u);
    wxTreeItemId last = Tree()->GetLastChild(Root());
    EXPECT_EQ(Tree()->GetItemText(last), "site32799");
    EXPECT_EQ(Labels(last)[0], "Host:10.1.32799");
    wxTreeItemIdValue cookie;
    wxTreeItemId first = Tree()->GetFirstChild(Root(), cookie);
    EXPECT_EQ(Tree()->GetItemText(first), "site0");

    // What is on the screen is drawn with its text, also a line far down once scrolled to; a real
    // click on that label selects the site, and the keyboard's type-ahead finds sites not yet shown.
    wxRect label;
    ASSERT_TRUE(Tree()->GetBoundingRect(first, label, true));
    const int labelX = label.x;
    EXPECT_TRUE(WaitFor([&] { return LabelInk(first, labelX) > 20; }));
    // The horizontal scroll range covers the longest name before it was ever drawn.
    wxClientDC measure(Tree());
    measure.SetFont(Tree()->GetFont());
    const int longRight = labelX + measure.GetTextExtent(longName).x;
    EXPECT_TRUE(WaitFor([&] { return Tree()->GetVirtualSize().x >= longRight; }))
        << Tree()->GetVirtualSize().x << " < " << longRight;
    wxTreeItemId far = first;
    for (int i = 0; i < 30000; ++i)
        far = Tree()->GetNextChild(Root(), cookie);
    ASSERT_EQ(Tree()->GetItemText(far), "site30000");
    Tree()->EnsureVisible(far);
    EXPECT_TRUE(WaitFor([&] { return LabelInk(far, labelX) > 20; }));
    ASSERT_TRUE(Tree()->GetBoundingRect(far, label, true));
    EXPECT_GT(label.width, 40);
    wxUIActionSimulator mouse;
    mouse.MouseMove(Tree()->ClientToScreen(label.GetPosition() + wxPoint(label.width - 6, label.height / 2)));
    mouse.MouseClick();
    EXPECT_TRUE(WaitFor([&] { return Tree()->GetSelection() == far; }));
    Tree()->SetFocus();
    mouse.Text("site16400");
    EXPECT_TRUE(WaitFor([&] { return Tree()->GetItemText(Tree()->GetSelection()) == "site16400"; }));
    EXPECT_TRUE(WaitFor([&] { return LabelInk(Tree()->GetSelection(), labelX) > 20; }));

    // Find's results the same way: the first 500 of the 3,911 sites that match, and a line for the rest.
    FrameProbe::FindField(frame)->SetValue("site3");
    wxTreeCtrl* found = FrameProbe::FindTree(frame);
    ASSERT_TRUE(WaitFor([&] { return found->IsShown() && found->GetChildrenCount(found->GetRootItem(), false) > 0; }));
    EXPECT_EQ(found->GetChildrenCount(found->GetRootItem(), false), 501u);
    EXPECT_TRUE(found->GetItemText(found->GetLastChild(found->GetRootItem())).StartsWith("3411 more sites match"));
    wxTreeItemId lastFound = found->GetPrevSibling(found->GetLastChild(found->GetRootItem()));
    EXPECT_EQ(found->GetItemText(lastFound), "site3388");  // in stored order: 3, 30-39, 300-399, 3000-3388
    found->EnsureVisible(lastFound);
    EXPECT_TRUE(WaitFor([&] { return LabelInk(lastFound, labelX, found) > 20; }));
}

TEST_F(SiteTreeTest, DoubleClickAsksBeforeConnecting)
{
    if (!HaveSshServer())
        GTEST_SKIP() << "needs the test SSH server: run through tests/support/with-sshd.sh";
    CreateDatabase({{"", "", "ssh", "127.0.0.1", "local", sshPort}});
    CreateFrame();
    ModalScript::Get().ExpectMessage("Are you sure to connect local - 127.0.0.1 now?", "Shellyard", wxYES_NO,
                                     wxID_NO);
    Activate(Site("local"));
    ModalScript::Get().Verify();
    PumpEvents();
    EXPECT_EQ(TabCount(), 0);

    ModalScript::Get().ExpectMessage("Are you sure to connect local - 127.0.0.1 now?", "Shellyard", wxYES_NO,
                                     wxID_YES);
    Activate(Site("local"));
    ASSERT_TRUE(WaitFor([this] { return TabCount() == 1; }));
    EXPECT_EQ(FrameProbe::Notebook(frame)->GetPageText(0), "local");
}

TEST_F(SiteTreeTest, DetailLinesActForTheirSiteAndTheRootDoesNothing)
{
    // A site named like a detail line must not be picked up instead of the line's own site.
    CreateDatabase({{"", "", "ssh", "10.0.0.5", "Port:22", "22"}, {"", "", "ssh", "10.0.0.6", "mail", "2200"}});
    CreateFrame();
    int shownBefore = ModalScript::Get().ShownCount();
    ModalScript::Get().ExpectMessage("Are you sure to connect mail - 10.0.0.6 now?", "Shellyard", wxYES_NO, wxID_NO);
    Activate(Children(Site("mail"))[2]);
    ModalScript::Get().Verify();
    ASSERT_TRUE(RightClick(Children(Site("mail"))[2], wxPoint(5, 5)).shown);
    EXPECT_EQ(FrameProbe::CurrentSite(frame).port, "2200");

    Activate(Root());          // no question at all
    Activate(wxTreeItemId());  // nor for an empty spot
    PumpEvents();
    EXPECT_EQ(ModalScript::Get().ShownCount() - shownBefore, 1);

    // Deleting through a detail line's menu removes its site.
    ModalScript::Get().ExpectMessage("Are you sure to delete this site mail now?", "Shellyard", wxYES_NO, wxID_YES);
    Choose(Children(Site("mail"))[0], ID_SITE_DELETE);
    ModalScript::Get().Verify();
    EXPECT_EQ(Labels(Root()), (std::vector<std::string>{"Port:22"}));
}

TEST_F(SiteTreeTest, SiteAndRootMenusOfferTheirOwnEntries)
{
    CreateDatabase({{"", "", "ssh", "10.0.0.1", "web", "22"}});
    CreateFrame();
    ShownMenu site = RightClick(Site("web"), wxPoint(10, 10));
    ASSERT_TRUE(site.shown);
    EXPECT_EQ(site.entries, (std::vector<std::string>{"Connect this site", "Delete this site", "Modify this site",
                                                       "Duplicate this site", "Move to folder…", "-",
                                                       "Monitor this site"}));
    EXPECT_EQ(FrameProbe::CurrentSite(frame).host, "10.0.0.1");

    ShownMenu root = RightClick(Root(), wxPoint(10, 10));
    ASSERT_TRUE(root.shown);
    EXPECT_EQ(root.entries, (std::vector<std::string>{"Connect all sites", "Delete all sites", "-", "New folder…"}));
    EXPECT_EQ(Labels(Root()), (std::vector<std::string>{"web"}));
    EXPECT_EQ(StoredRows().size(), 1u);
}

TEST_F(SiteTreeTest, MenuAppearsAtTheMouseOrForTheKeyboardAtTheCentreOfTheFrame)
{
    CreateDatabase({{"", "", "ssh", "10.0.0.1", "web", "22"}, {"", "", "ssh", "10.0.0.2", "mail", "22"}});
    CreateFrame();
    wxTreeItemId mail = Site("mail");

    // A real right click on the site: the menu opens where the mouse is.
    wxRect bounds;
    ASSERT_TRUE(Tree()->GetBoundingRect(mail, bounds, true));
    wxPoint click = Tree()->ClientToScreen(bounds.GetPosition() + wxPoint(5, bounds.GetHeight() / 2));
    ShownMenu atMouse = WithMenuCapture([&] {
        wxUIActionSimulator mouse;
        mouse.MouseMove(click);
        mouse.MouseClick(wxMOUSE_BTN_RIGHT);
        WaitFor([] { return false; }, std::chrono::milliseconds(0));
        WaitFor([&] { return FrameProbe::CurrentSite(frame).name == "mail"; }, std::chrono::seconds(5));
    });
    ASSERT_TRUE(atMouse.shown);
    EXPECT_NEAR(atMouse.position.x, click.x, 3);
    EXPECT_NEAR(atMouse.position.y, click.y, 3);

    // The same site's menu asked for from the keyboard.
    ShownMenu fromKeys = RightClick(mail, wxPoint(-1, -1));
    ASSERT_TRUE(fromKeys.shown);
    wxPoint centre = frame->ClientToScreen(wxPoint(frame->GetSize().x / 2, frame->GetSize().y / 2));
    EXPECT_NEAR(fromKeys.position.x, centre.x, 3);
    EXPECT_NEAR(fromKeys.position.y, centre.y, 3);

    // The context-menu key and Shift+F10 on the tree ask for the menu of the focused site.
    Tree()->SelectItem(Site("web"));
    Tree()->SetFocus();
    for (bool shiftF10 : {false, true}) {
        SCOPED_TRACE(shiftF10 ? "Shift+F10" : "menu key");
        FrameProbe::SetCurrentSite(frame, {});
        ShownMenu byKey = WithMenuCapture([&] {
            wxUIActionSimulator keys;
            keys.MouseMove(Tree()->ClientToScreen(wxPoint(100, 300)));
            if (shiftF10)
                keys.Char(WXK_F10, wxMOD_SHIFT);
            else
                keys.Char(WXK_MENU);
            WaitFor([&] { return FrameProbe::CurrentSite(frame).name == "web"; }, std::chrono::seconds(5));
        });
        ASSERT_TRUE(byKey.shown);
        EXPECT_EQ(byKey.entries.front(), "Connect this site");
        EXPECT_NEAR(byKey.position.x, centre.x, 3);
        EXPECT_NEAR(byKey.position.y, centre.y, 3);
    }

    // A synthesised click point in tree coordinates lands at that point of the tree, not of the frame.
    ShownMenu atPoint = RightClick(mail, wxPoint(30, 40));
    ASSERT_TRUE(atPoint.shown);
    wxPoint expected = Tree()->ClientToScreen(wxPoint(30, 40));
    EXPECT_NEAR(atPoint.position.x, expected.x, 3);
    EXPECT_NEAR(atPoint.position.y, expected.y, 3);
}

TEST_F(SiteTreeTest, DeleteRemovesTheRightClickedSiteNotTheSelectedOne)
{
    CreateDatabase({{"", "", "ssh", "10.0.0.1", "web", "22"},
                    {"", "", "ssh", "10.0.0.2", "mail", "22"},
                    {"", "", "ssh", "10.0.0.3", "db", "22"}});
    CreateFrame();
    Tree()->SelectItem(Site("web"));

    ModalScript::Get().ExpectMessage("Are you sure to delete this site mail now?", "Shellyard", wxYES_NO, wxID_NO);
    Choose(Site("mail"), ID_SITE_DELETE);
    ModalScript::Get().Verify();
    EXPECT_EQ(Labels(Root()), (std::vector<std::string>{"web", "mail", "db"}));
    EXPECT_EQ(StoredRows().size(), 3u);

    ModalScript::Get().ExpectMessage("Are you sure to delete this site mail now?", "Shellyard", wxYES_NO, wxID_YES);
    Choose(Site("mail"), ID_SITE_DELETE);
    ModalScript::Get().Verify();
    EXPECT_EQ(Labels(Root()), (std::vector<std::string>{"web", "db"}));
    EXPECT_EQ(Tree()->GetItemText(Tree()->GetSelection()), "web");
    std::vector<Row> rows = StoredRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], "web");
    EXPECT_EQ(rows[1][0], "db");

    // The deleted node is gone for good: a second delete command without a new right click does nothing.
    FrameProbe::Command(frame, ID_SITE_DELETE);
    PumpEvents();
    EXPECT_EQ(Labels(Root()), (std::vector<std::string>{"web", "db"}));
}

// The store deletes by host and name; a second site with the same host and name must survive the
// deletion of the first, in the database as well as in the tree.
TEST_F(SiteTreeTest, DeletingOneOfTwoSitesWithTheSameHostAndNameKeepsTheOther)
{
    CreateDatabase({{"pw", "root", "ssh", "10.0.0.1", "box", "22"},
                    {"", "", "ssh", "10.0.0.9", "other", "22"},
                    {"", "", "telnet", "10.0.0.1", "box", "23"},
                    {"pw3", "admin", "ssh", "10.0.0.1", "box", "2222"}});
    CreateFrame();
    std::vector<wxTreeItemId> sites = Children(Root());
    ModalScript::Get().ExpectMessage("Are you sure to delete this site box now?", "Shellyard", wxYES_NO, wxID_YES);
    Choose(sites[2], ID_SITE_DELETE);  // the Telnet one
    ModalScript::Get().Verify();

    EXPECT_EQ(Labels(Root()), (std::vector<std::string>{"box", "other", "box"}));
    std::vector<Row> rows = StoredRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (Row{"box", "10.0.0.1", "ssh", "22", "root", "pw", "", ""}));
    EXPECT_EQ(rows[1], (Row{"other", "10.0.0.9", "ssh", "22", "", "", "", ""}));
    EXPECT_EQ(rows[2], (Row{"box", "10.0.0.1", "ssh", "2222", "admin", "pw3", "", ""}));

    // Deleting the last of them again keeps exactly the first.
    ModalScript::Get().ExpectMessage("Are you sure to delete this site box now?", "Shellyard", wxYES_NO, wxID_YES);
    Choose(Children(Root())[2], ID_SITE_DELETE);
    ModalScript::Get().Verify();
    rows = StoredRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (Row{"box", "10.0.0.1", "ssh", "22", "root", "pw", "", ""}));
    EXPECT_EQ(Labels(Children(Root())[0])[2], "Port:22");
}

// Two sites with the same host and name but different logins, a third between them: each node
// stands for its own row, for connecting, monitoring and deleting alike.
TEST_F(SiteTreeTest, SitesWithTheSameHostAndNameEachUseTheirOwnRow)
{
    if (!HaveSshServer())
        GTEST_SKIP() << "needs the test SSH server: run through tests/support/with-sshd.sh";
    // The first twin has a user of its own and no password (no auto-login); the second the test
    // account's login.
    CreateDatabase({{"", "somebody-else", "ssh", "127.0.0.1", "twin", sshPort},
                    {"", "", "telnet", "10.0.0.9", "other", "23"},
                    {sshPassword, sshUser, "ssh", "127.0.0.1", "twin", sshPort}});
    CreateFrame();
    const std::vector<std::string> stored = RawRows();
    ASSERT_EQ(stored.size(), 3u);
    std::vector<wxTreeItemId> sites = Children(Root());

    // Connecting: only the second twin's PuTTY logs in, and the session on the server is its own.
    Choose(sites[0], ID_SITE_CONNECT);
    Choose(sites[2], ID_SITE_CONNECT);
    ASSERT_EQ(TabCount(), 2);
    long pids[2];
    for (int i = 0; i < 2; ++i) {
        auto* page = dynamic_cast<ShellyardConnPanel*>(FrameProbe::Notebook(frame)->GetPage(i));
        ASSERT_TRUE(page && page->GetTerminalProcess());
        pids[i] = page->GetTerminalProcess()->Pid();
    }
    const std::string withLogin = std::string("-l") + '\0' + sshUser + '\0';
    // The first twin has no password: its own user, for the agent or a key, and no -pw.
    EXPECT_NE(CommandLineOf(pids[0]).find(std::string("-l") + '\0' + "somebody-else" + '\0'), std::string::npos);
    EXPECT_EQ(CommandLineOf(pids[0]).find(std::string("-pw")), std::string::npos);
    EXPECT_NE(CommandLineOf(pids[1]).find(withLogin), std::string::npos);
    ASSERT_TRUE(WaitFor([&] { return LoginShells() == 1; }, std::chrono::seconds(15)));
    std::string shell = Shell("pgrep -x -u '" + sshUser + "' bash");
    std::string sshClient = Shell("tr '\\0' '\\n' < /proc/" + std::to_string(std::atol(shell.c_str())) +
                                  "/environ | sed -n 's/^SSH_CLIENT=//p'");
    EXPECT_EQ(sshClient, "127.0.0.1 " + ClientPortOf(pids[1]) + " " + sshPort + "\n");

    // Monitoring: each twin gets its monitor page, whose PLink logs in as that twin's user (the
    // first one through the agent or a key, which it has not: its page tells the refusal).
    Choose(sites[0], ID_SITE_MONITOR);
    Choose(sites[2], ID_SITE_MONITOR);
    ASSERT_TRUE(WaitFor([this] { return TabCount() == 4; }));
    EXPECT_NE(dynamic_cast<ShellyardMonPanel*>(FrameProbe::Notebook(frame)->GetPage(3)), nullptr);
    bool plinkAsSecond = false;
    for (long child : ChildProcesses())
        plinkAsSecond |= CommandLineOf(child).find("plink") != std::string::npos &&
                         CommandLineOf(child).find(withLogin) != std::string::npos;
    EXPECT_TRUE(plinkAsSecond);

    // Deleting the first twin leaves the other rows byte for byte, in their places.
    ModalScript::Get().ExpectMessage("Are you sure to delete this site twin now?", "Shellyard", wxYES_NO, wxID_YES);
    Choose(sites[0], ID_SITE_DELETE);
    ModalScript::Get().Verify();
    EXPECT_EQ(RawRows(), (std::vector<std::string>{stored[1], stored[2]}));

    // A twin saved through the editor knows its new row: deleting it takes only that row.
    ExpectEditor("twin", "127.0.0.1", sshPort, 1);
    FrameProbe::Command(frame, FrameProbe::NewConnectionId(frame));
    ModalScript::Get().Verify();
    ASSERT_EQ(RawRows().size(), 3u);
    ModalScript::Get().ExpectMessage("Are you sure to delete this site twin now?", "Shellyard", wxYES_NO, wxID_YES);
    Choose(Children(Root()).back(), ID_SITE_DELETE);
    ModalScript::Get().Verify();
    EXPECT_EQ(RawRows(), (std::vector<std::string>{stored[1], stored[2]}));
    EXPECT_EQ(Labels(Root()), (std::vector<std::string>{"other", "twin"}));
}

TEST_F(SiteTreeTest, OnlySshSitesWithUserAndPasswordCanBeMonitored)
{
    CreateDatabase({{"pw", "root", "SSH", "10.0.0.1", "caps", "22"},
                    {"pw", "root", "telnet", "10.0.0.2", "telnet", "23"},
                    {"", "root", "ssh", "10.0.0.3", "nopass", "22"},
                    {"pw", "", "ssh", "10.0.0.4", "nouser", "22"},
                    // A closed port on this machine: the monitor page that opens fails at once.
                    {"pw", "root", "ssh", "127.0.0.1", "good", "1"}});
    CreateFrame();
    int shownBefore = ModalScript::Get().ShownCount();
    // An SSH site with a user and no password is monitored through the agent or its key.
    for (const char* name : {"caps", "telnet", "nouser"}) {
        SCOPED_TRACE(name);
        ExpectWarning("Warnning: Only SSH protocol site with auto-login enabled can be monitored.");
        Choose(Site(name), ID_SITE_MONITOR);
        ModalScript::Get().Verify();
    }
    Choose(Site("nopass"), ID_SITE_MONITOR);
    Choose(Site("good"), ID_SITE_MONITOR);
    PumpEvents();
    EXPECT_EQ(ModalScript::Get().ShownCount() - shownBefore, 3);
    EXPECT_EQ(TabCount(), 2);
    auto site = FrameProbe::CurrentSite(frame);
    EXPECT_EQ(site.user, "root");
    EXPECT_EQ(site.password, "pw");
}

TEST_F(SiteTreeTest, ConnectAllSitesWithAnEmptyTreeDoesNothing)
{
    CreateDatabase();
    CreateFrame();
    ShownMenu root = RightClick(Root(), wxPoint(10, 10));
    ASSERT_TRUE(root.shown);
    FrameProbe::Command(frame, ID_SITES_CONNECT_ALL);
    ConnectionsDone();
    PumpEvents();
    EXPECT_EQ(TabCount(), 0);
}

TEST_F(SiteTreeTest, ConnectThisSiteDoesNotAskAndConnectAllOpensATabPerSite)
{
    if (!HaveSshServer())
        GTEST_SKIP() << "needs the test SSH server: run through tests/support/with-sshd.sh";
    CreateDatabase({{"", "", "ssh", "127.0.0.1", "one", sshPort},
                    {"", "", "ssh", "127.0.0.1", "two", sshPort},
                    {"", "", "ssh", "127.0.0.1", "three", sshPort}});
    CreateFrame();
    Choose(Site("two"), ID_SITE_CONNECT);
    ASSERT_TRUE(WaitFor([this] { return TabCount() == 1; }));

    ShownMenu root = RightClick(Root(), wxPoint(10, 10));
    ASSERT_TRUE(root.shown);
    FrameProbe::Command(frame, ID_SITES_CONNECT_ALL);
    ConnectionsDone();
    ASSERT_TRUE(WaitFor([this] { return TabCount() == 4; }));
    wxAuiNotebook* notebook = FrameProbe::Notebook(frame);
    std::vector<std::string> captions;
    for (size_t i = 0; i < notebook->GetPageCount(); ++i)
        captions.push_back(notebook->GetPageText(i).ToStdString());
    EXPECT_EQ(captions, (std::vector<std::string>{"two", "one", "two", "three"}));
}

// End to end: a site typed into the editor is stored, shown and opens a terminal that logs in.
TEST_F(SiteTreeTest, NewSiteIsStoredShownExpandedAndLogsInAtOnce)
{
    if (!HaveSshServer())
        GTEST_SKIP() << "needs the test SSH server: run through tests/support/with-sshd.sh";
    CreateDatabase({{"", "", "ssh", "10.0.0.1", "web", "22"}});
    CreateFrame();
    int shellsBefore = LoginShells();
    ExpectEditor("", "127.0.0.1", sshPort, 0, sshUser, wxString::FromUTF8(sshPassword.c_str()));
    FrameProbe::Command(frame, FrameProbe::NewConnectionId(frame));
    ModalScript::Get().Verify();

    EXPECT_EQ(Labels(Root()), (std::vector<std::string>{"web", "127.0.0.1"}));
    wxTreeItemId added = Site("127.0.0.1");
    // It looks like every loaded site, with its Auto line, and is open.
    EXPECT_EQ(Labels(added), (std::vector<std::string>{"Host:127.0.0.1", "Type:ssh", "Port:" + sshPort, "Auto:Yes"}));
    EXPECT_TRUE(Tree()->IsExpanded(added));
    EXPECT_EQ(Tree()->GetItemImage(added), 2);
    std::vector<Row> rows = StoredRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], (Row{"127.0.0.1", "127.0.0.1", "ssh", sshPort, sshUser, sshPassword, "", ""}));

    ASSERT_TRUE(WaitFor([this] { return TabCount() == 1; }));
    EXPECT_EQ(FrameProbe::Notebook(frame)->GetPageText(0), "127.0.0.1");
    EXPECT_TRUE(WaitFor([&] { return LoginShells() == shellsBefore + 1; }, std::chrono::seconds(15)))
        << "the new site's terminal did not log in by itself; the log:\n" << ReadFile(workDir + "/Shellyard.txt");

    // After a restart the site looks like every other stored site.
    DestroyFrame();
    CreateFrame();
    added = Site("127.0.0.1");
    EXPECT_EQ(Labels(added), (std::vector<std::string>{"Host:127.0.0.1", "Type:ssh", "Port:" + sshPort, "Auto:Yes"}));
    EXPECT_FALSE(Tree()->IsExpanded(added));
}

TEST_F(SiteTreeTest, TheToolAndTheMenuOpenTheEditorAndItsCloseBoxSavesNothing)
{
    CreateDatabase();
    CreateFrame();
    for (int id : {int(ID_TOOL_CONNECTION), FrameProbe::NewConnectionId(frame)}) {
        ModalScript::Get().ExpectDialog<ShellyardNewSiteDialog>("site editor", [](ShellyardNewSiteDialog* d) {
            In::Type(In::Host(d), "10.9.9.9");
            return int(wxID_CANCEL);  // what the close box ends it with
        });
        FrameProbe::Command(frame, id);
        ModalScript::Get().Verify();
    }
    PumpEvents();
    EXPECT_EQ(Tree()->GetChildrenCount(Root()), 0u);
    EXPECT_TRUE(StoredRows().empty());
    EXPECT_EQ(TabCount(), 0);
}
