// Sites as a workspace, end to end through the real frame: modifying, duplicating and deleting all
// sites, folders that survive a restart and an older reader, Find on a large tree, post-login
// commands on a slow host, and saves that a busy, read-only or full database refuses. Real frame
// under Xvfb, real site database, real PuTTY against the private SSH server.
#include "support/NotebookActions.h"
#include "support/SiteTreeFixture.h"

#include "session/PostLoginCommands.h"
#include "session/ShellyardConnPanel.h"
#include "session/TerminalProcess.h"
#include "storage/SiteStore.h"

#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <thread>
#include <wx/choicdlg.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/textdlg.h>
#include <wx/uiaction.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {
class SitesWorkspaceTest : public SiteTreeFixture {
protected:
    void TearDown() override
    {
        if (!bashrc.empty())
            WriteFile(Home() + "/.bashrc", bashrc);
        if (mounted) {
            DestroyFrame();
            EXPECT_EQ(system(("umount '" + programDir + "'").c_str()), 0);
        }
        SiteTreeFixture::TearDown();
    }
    std::string Home() const { return Env("SHELLYARD_TEST_SSH_HOME"); }
    // A slow host: every login shell of the test account sleeps before its first prompt.
    void SlowLogins(int seconds)
    {
        bashrc = ReadFile(Home() + "/.bashrc");
        WriteFile(Home() + "/.bashrc", bashrc + "\nsleep " + std::to_string(seconds) + "\n");
    }
    std::vector<std::string> SessionLogs()
    {
        std::vector<std::string> logs;
        for (const auto& entry : fs::directory_iterator(programDir))
            if (entry.path().filename().string().rfind("session-", 0) == 0)
                logs.push_back(entry.path().string());
        return logs;
    }
    ShellyardConnPanel* Page(size_t i)
    {
        return dynamic_cast<ShellyardConnPanel*>(FrameProbe::Notebook(frame)->GetPage(i));
    }
    std::vector<std::string> Captions()
    {
        std::vector<std::string> captions;
        for (size_t i = 0; i < FrameProbe::Notebook(frame)->GetPageCount(); ++i)
            captions.push_back(FrameProbe::Notebook(frame)->GetPageText(i).utf8_string());
        return captions;
    }

    // The tree as one line: each node's label, a folder's contents in brackets (detail lines left
    // out): "Sites List[Lab[db],web]".
    std::string Outline(wxTreeCtrl* tree, const wxTreeItemId& node)
    {
        std::string text = tree->GetItemText(node).utf8_string();
        auto* data = dynamic_cast<SiteTreeItemData*>(tree->GetItemData(node));
        if (!data || data->IsSite())
            return text;
        std::vector<std::string> inside;
        wxTreeItemIdValue cookie;
        for (wxTreeItemId c = tree->GetFirstChild(node, cookie); c.IsOk(); c = tree->GetNextChild(node, cookie))
            inside.push_back(Outline(tree, c));
        text += "[";
        for (size_t i = 0; i < inside.size(); ++i)
            text += (i ? "," : "") + inside[i];
        return text + "]";
    }
    std::string Outline() { return Outline(Tree(), Root()); }
    // The node of a site or folder by its label, anywhere in the tree.
    wxTreeItemId Node(const std::string& label, wxTreeCtrl* tree = nullptr, wxTreeItemId from = wxTreeItemId())
    {
        tree = tree ? tree : Tree();
        from = from.IsOk() ? from : tree->GetRootItem();
        wxTreeItemIdValue cookie;
        for (wxTreeItemId c = tree->GetFirstChild(from, cookie); c.IsOk(); c = tree->GetNextChild(from, cookie)) {
            if (tree->GetItemText(c).utf8_string() == label)
                return c;
            auto* data = dynamic_cast<SiteTreeItemData*>(tree->GetItemData(c));
            if (data && data->IsFolder()) {
                wxTreeItemId found = Node(label, tree, c);
                if (found.IsOk())
                    return found;
            }
        }
        return wxTreeItemId();
    }
    // Right-clicks a node and chooses a menu entry.
    void ChooseOn(const std::string& label, int id)
    {
        wxTreeItemId node = Node(label);
        ASSERT_TRUE(node.IsOk()) << "no node " << label;
        Choose(node, id);
    }
    // Drags one node onto another (an invalid one: empty space) as the tree reports it.
    void Drag(const wxTreeItemId& from, const wxTreeItemId& onto)
    {
        wxTreeEvent begin(wxEVT_TREE_BEGIN_DRAG, Tree(), from);
        Tree()->GetEventHandler()->ProcessEvent(begin);
        wxTreeEvent end(wxEVT_TREE_END_DRAG, Tree(), onto);
        Tree()->GetEventHandler()->ProcessEvent(end);
        PumpEvents();
    }
    // What the dialog's text lines say, joined.
    static std::string Texts(wxWindow* window)
    {
        std::string text;
        for (wxWindow* child : window->GetChildren()) {
            if (auto* label = dynamic_cast<wxStaticText*>(child))
                text += label->GetLabel().utf8_string();
            else
                text += Texts(child);
        }
        return text;
    }
    // Answers the next name question with text.
    void ExpectName(const std::string& question, const std::string& text, int answer = wxID_OK)
    {
        ModalScript::Get().ExpectDialog<wxTextEntryDialog>("name of a folder", [=](wxTextEntryDialog* d) {
            EXPECT_EQ(Texts(d), question);
            EXPECT_EQ(d->GetTitle(), "Shellyard");
            d->SetValue(wxString::FromUTF8(text.c_str()));
            return answer;
        });
    }
    // Rows as (rowid, hostname, hostip, hostport, hostpostcommand, hostcomments), as stored.
    std::vector<Row> Rows(const std::string& path = std::string())
    {
        std::vector<Row> rows;
        sqlite3* db = nullptr;
        sqlite3_open((path.empty() ? DatabasePath() : path).c_str(), &db);
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(db,
                           "select rowid, hostname, hostip, hostport, hostpostcommand, hostcomments, hosttype, hostuser, "
                           "hostpasswd from tbl_hostsite order by rowid;",
                           -1, &select, nullptr);
        while (select && sqlite3_step(select) == SQLITE_ROW) {
            Row row;
            for (int i = 0; i < 9; ++i) {
                const unsigned char* text = sqlite3_column_text(select, i);
                row.push_back(text ? reinterpret_cast<const char*>(text) : "<null>");
            }
            rows.push_back(row);
        }
        sqlite3_finalize(select);
        sqlite3_close(db);
        return rows;
    }

    std::string bashrc;
    bool mounted = false;  // programDir is a file system of the test's own
};
}  // namespace

// Commands typed after an auto-login on a host whose login takes three seconds: in order, in the
// shell of their own tab although another tab is in front, literally, and the shell stays
// interactive. A tab closed before its prompt gets nothing, and no session log is left.
TEST_F(SitesWorkspaceTest, PostLoginCommandsRunInOrderInTheirOwnShellOnASlowHost)
{
    if (!HaveSshServer())
        GTEST_SKIP() << "needs the test SSH server: run through tests/support/with-sshd.sh";
    const std::string tricky = "echo \"1 {x} %PATH% +^(a)~@ $((6*7))\" > order.txt";
    CreateDatabase({{sshPassword, sshUser, "ssh", "127.0.0.1", "slow", sshPort,
                     "mkdir -p sy-post && cd sy-post\n" + tricky + "\necho 2 $SSH_CLIENT >> order.txt", ""},
                    {sshPassword, sshUser, "ssh", "127.0.0.1", "closed", sshPort, "echo closed > sy-closed.txt", ""},
                    {sshPassword, sshUser, "ssh", "127.0.0.1", "plain", sshPort}});
    SlowLogins(3);
    CreateFrame();
    for (const char* name : {"slow", "closed", "plain"})
        Choose(Site(name), ID_SITE_CONNECT);
    ASSERT_EQ(TabCount(), 3);
    const long slowPid = Page(0)->GetTerminalProcess()->Pid();
    // Only the sites with commands have PuTTY write a session log, private, in the program's folder;
    // the commands themselves are on no command line.
    ASSERT_EQ(SessionLogs().size(), 2u);
    for (const std::string& log : SessionLogs())
        EXPECT_EQ(fs::status(log).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_NE(CommandLineOf(slowPid).find("-sessionlog"), std::string::npos);
    EXPECT_EQ(CommandLineOf(Page(2)->GetTerminalProcess()->Pid()).find("-sessionlog"), std::string::npos);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(CommandLineOf(Page(i)->GetTerminalProcess()->Pid()).find("echo"), std::string::npos);

    // The second tab goes before its shell is ready; the third is in front while the first's
    // commands are typed.
    FrameProbe::Notebook(frame)->SetSelection(1);
    ModalScript::Get().ExpectMessage("Are you sure you want to stop loggin and close this site?", "Shellyard",
                                     wxYES_NO, wxID_YES);
    ClickCloseOnActiveTab(FrameProbe::Notebook(frame));
    ModalScript::Get().Verify();
    ASSERT_EQ(TabCount(), 2);
    FrameProbe::Notebook(frame)->SetSelection(1);
    const std::string order = Home() + "/sy-post/order.txt";
    ASSERT_TRUE(WaitFor([&] { return Page(0)->GetPostLoginCommands()->IsDone(); }, 30s))
        << ReadFile(workDir + "/Shellyard.txt");
    ASSERT_TRUE(WaitFor([&] { return ReadFile(order).find("\n2 ") != std::string::npos; }, 10s)) << ReadFile(order);
    EXPECT_EQ(ReadFile(order), "1 {x} %PATH% +^(a)~@ 42\n2 127.0.0.1 " + ClientPortOf(slowPid) + " " + sshPort + "\n");
    EXPECT_EQ(FrameProbe::Notebook(frame)->GetSelection(), 1) << "the tab in front stays in front";
    EXPECT_TRUE(SessionLogs().empty());

    // The shell is the one the commands left in sy-post, and takes more: a broadcast lands there
    // (and in the plain tab's home).
    frame->SendToAllSessions("echo 3 >> order.txt");
    EXPECT_TRUE(WaitFor([&] { return ReadFile(order).find("3\n") != std::string::npos; }, 10s)) << ReadFile(order);
    EXPECT_TRUE(WaitFor([&] { return ReadFile(Home() + "/order.txt") == "3\n"; }, 10s));
    EXPECT_FALSE(FileExists(Home() + "/sy-closed.txt")) << "a closed tab's commands went somewhere";
}


// Modify stores into the site's own row, the node and its lines change in place, the running tab
// keeps running, and the next connection uses the new values (the server sees its port); Cancel
// changes nothing. Duplicate opens the editor with the values and stores a new row. Names and notes
// with quotes, %, a tab and right-to-left text are stored and shown exactly, also after a restart.
TEST_F(SitesWorkspaceTest, ModifyingASiteStoresItsOwnRowAndTheNextConnectionUsesTheNewValues)
{
    if (!HaveSshServer())
        GTEST_SKIP() << "needs the test SSH server: run through tests/support/with-sshd.sh";
    // The server listens on port 22 too where it has a network of its own.
    const std::string newPort = Env("SHELLYARD_TEST_SSH_PORT22") == "1" ? "22" : sshPort;
    CreateDatabase({{"", "", "telnet", "10.9.9.9", "other", "23"},
                    {sshPassword, sshUser, "ssh", "127.0.0.1", "box", sshPort}});
    CreateFrame();
    Choose(Site("box"), ID_SITE_CONNECT);
    ASSERT_TRUE(WaitFor([&] { return LoginShells() == 1; }, 15s));
    const long firstPid = Page(0)->GetTerminalProcess()->Pid();
    wxTreeItemId node = Site("box");
    Tree()->Expand(node);
    const std::vector<Row> before = Rows();

    ModalScript::Get().ExpectDialog<ShellyardNewSiteDialog>("the editor, cancelled", [&](ShellyardNewSiteDialog* d) {
        EXPECT_EQ(d->GetTitle(), "Modify Connection");
        EXPECT_EQ(d->GetParent(), frame.get());
        EXPECT_EQ(In::Name(d)->GetValue(), "box");
        EXPECT_EQ(In::Host(d)->GetValue(), "127.0.0.1");
        EXPECT_EQ(In::Port(d)->GetValue(), wxString(sshPort));
        EXPECT_EQ(In::User(d)->GetValue(), wxString(sshUser));
        EXPECT_EQ(In::Password(d)->GetValue().utf8_string(), sshPassword);
        In::Type(In::Name(d), "changed");
        return int(wxID_CANCEL);
    });
    Choose(node, ID_SITE_MODIFY);
    ModalScript::Get().Verify();
    EXPECT_EQ(Rows(), before);
    EXPECT_EQ(Tree()->GetItemText(node), "box");

    const wxString name = wxString::FromUTF8("box \"2\" 100%\t\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d 'x'");
    const wxString note = wxString::FromUTF8("rack 4, row \xd7\x91\nask Ana before %s restarting");
    ModalScript::Get().ExpectDialog<ShellyardNewSiteDialog>("the editor", [&](ShellyardNewSiteDialog* d) {
        In::Type(In::Name(d), name);
        In::Type(In::Port(d), newPort);
        In::Type(In::Note(d), note);
        In::ClickOk(d);
        return d->GetReturnCode();
    });
    Choose(node, ID_SITE_MODIFY);
    ModalScript::Get().Verify();
    std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], before[0]);
    EXPECT_EQ(rows[1][0], before[1][0]) << "the same row";
    EXPECT_EQ(rows[1][1], name.utf8_string());
    EXPECT_EQ(rows[1][3], newPort);
    EXPECT_EQ(rows[1][5], note.utf8_string());
    EXPECT_EQ(std::vector<std::string>(rows[1].begin() + 6, rows[1].end()),
              std::vector<std::string>(before[1].begin() + 6, before[1].end()));
    // In place: the same node, still open, its lines anew; the note is its tool tip.
    EXPECT_EQ(Tree()->GetItemText(node), name);
    EXPECT_TRUE(Tree()->IsExpanded(node));
    EXPECT_EQ(Labels(node), (std::vector<std::string>{"Host:127.0.0.1", "Type:ssh", "Port:" + newPort, "Auto:Yes"}));
    wxTreeEvent tip(wxEVT_TREE_ITEM_GETTOOLTIP, Tree(), Children(node)[1]);
    Tree()->GetEventHandler()->ProcessEvent(tip);
    EXPECT_EQ(tip.GetToolTip(), note);
    EXPECT_TRUE(ProcessExists(firstPid)) << "the open tab of the site keeps running";

    Choose(node, ID_SITE_CONNECT);
    ASSERT_EQ(TabCount(), 2);
    EXPECT_EQ(FrameProbe::Notebook(frame)->GetPageText(1), name);
    ASSERT_TRUE(WaitFor([&] { return LoginShells() == 2; }, 15s));
    const long secondPid = Page(1)->GetTerminalProcess()->Pid();
    std::string shells = Shell("pgrep -x -u '" + sshUser + "' bash | xargs -I{} sh -c \"tr '\\\\0' '\\\\n' < /proc/{}/environ "
                               "| sed -n 's/^SSH_CLIENT=//p'\"");
    EXPECT_NE(shells.find("127.0.0.1 " + ClientPortOf(secondPid) + " " + newPort + "\n"), std::string::npos) << shells;
    EXPECT_NE(shells.find("127.0.0.1 " + ClientPortOf(firstPid) + " " + sshPort + "\n"), std::string::npos) << shells;

    // Duplicate: the editor comes first, with every value and the name marked as a copy.
    ModalScript::Get().ExpectDialog<ShellyardNewSiteDialog>("the editor for the copy", [&](ShellyardNewSiteDialog* d) {
        EXPECT_EQ(d->GetTitle(), "New Connection");
        EXPECT_EQ(In::Name(d)->GetValue(), name + " (copy)");
        EXPECT_EQ(In::Port(d)->GetValue(), wxString(newPort));
        EXPECT_EQ(In::Note(d)->GetValue(), note);
        In::ClickOk(d);
        return d->GetReturnCode();
    });
    Choose(node, ID_SITE_DUPLICATE);
    ModalScript::Get().Verify();
    rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2][1], (name + " (copy)").utf8_string());
    EXPECT_EQ(std::vector<std::string>(rows[2].begin() + 2, rows[2].end()),
              std::vector<std::string>(rows[1].begin() + 2, rows[1].end()));
    EXPECT_EQ(Outline(), "Sites List[other," + name.utf8_string() + "," + (name + " (copy)").utf8_string() + "]");
    EXPECT_TRUE(Tree()->IsExpanded(Node((name + " (copy)").utf8_string())));

    DestroyFrame();
    CreateFrame();
    EXPECT_EQ(Outline(), "Sites List[other," + name.utf8_string() + "," + (name + " (copy)").utf8_string() + "]");
}

// Folders made, named, refused, filled by menu and by dragging, renamed and deleted; they stand
// above the sites of their level, survive a restart, and a program that knows no folders still
// reads every site from eight columns. "Connect all sites" of a folder goes through it in tree order.
TEST_F(SitesWorkspaceTest, FoldersSurviveARestartAndAnOlderReaderSeesTheSitesFlat)
{
    const std::string port = HaveSshServer() ? sshPort : "1";
    CreateDatabase({{"", "", "ssh", "127.0.0.1", "web", port},
                    {"", "", "ssh", "127.0.0.1", "mail", port},
                    {"", "", "ssh", "127.0.0.1", "db", port},
                    {"", "", "ssh", "127.0.0.1", "build", port}});
    CreateFrame();

    ExpectName("Name of the new folder in Sites List:", "Customers");
    Choose(Root(), ID_FOLDER_NEW);
    ModalScript::Get().Verify();
    // Refused: an empty name, then one taken at that level; the question comes back each time with
    // what was typed, and the third answer is taken.
    ExpectName("Name of the new folder in Sites List:", "");
    ModalScript::Get().ExpectMessage("A folder needs a name.", "Shellyard", wxOK | wxICON_WARNING, wxID_OK);
    ExpectName("Name of the new folder in Sites List:", "Customers");
    ModalScript::Get().ExpectMessage("There is already a folder named Customers in Sites List.", "Shellyard",
                                     wxOK | wxICON_WARNING, wxID_OK);
    ModalScript::Get().ExpectDialog<wxTextEntryDialog>("the question again", [](wxTextEntryDialog* d) {
        EXPECT_EQ(d->GetValue(), "Customers");
        d->SetValue("Lab");
        return int(wxID_OK);
    });
    Choose(Root(), ID_FOLDER_NEW);
    ModalScript::Get().Verify();
    ExpectName("Name of the new folder in Customers:", "ACME");
    ChooseOn("Customers", ID_FOLDER_NEW);
    ModalScript::Get().Verify();
    EXPECT_EQ(Outline(), "Sites List[Customers[ACME[]],Lab[],web,mail,db,build]");

    // Moved by menu, and by dragging onto a folder, onto a site (into its folder) and a folder into
    // another; a folder dragged into itself stays.
    ModalScript::Get().ExpectDialog<wxSingleChoiceDialog>("the folders", [](wxSingleChoiceDialog* d) {
        int acme = wxNOT_FOUND;
        for (wxWindow* child : d->GetChildren())
            if (auto* list = dynamic_cast<wxListBox*>(child)) {
                EXPECT_EQ(list->GetCount(), 4u);
                EXPECT_EQ(list->GetStringSelection(), "Sites List") << "where the site is now";
                EXPECT_EQ(list->GetString(1), "Sites List / Customers");
                acme = list->FindString("Sites List / Customers / ACME");
            }
        d->SetSelection(acme);
        return int(wxID_OK);
    });
    ChooseOn("web", ID_SITE_MOVE);
    ModalScript::Get().Verify();
    Drag(Node("db"), Node("Lab"));
    Drag(Node("mail"), Node("web"));
    Drag(Node("Lab"), Node("Customers"));
    Drag(Node("Customers"), Node("ACME"));
    EXPECT_EQ(Outline(), "Sites List[Customers[ACME[web,mail],Lab[db]],build]");
    ExpectName("New name of the folder Lab:", "Lab & Test 'x'");
    ChooseOn("Lab", ID_FOLDER_RENAME);
    ModalScript::Get().Verify();
    const std::string arranged = "Sites List[Customers[ACME[web,mail],Lab & Test 'x'[db]],build]";
    EXPECT_EQ(Outline(), arranged);

    if (HaveSshServer()) {
        ChooseOn("Customers", ID_SITES_CONNECT_ALL);
        ASSERT_TRUE(ConnectionsDone());
        EXPECT_EQ(Captions(), (std::vector<std::string>{"web", "mail", "db"}));
    }

    DestroyFrame();
    CreateFrame();
    EXPECT_EQ(Outline(), arranged);
    {
        // The older layout: eight columns, every site, nothing of the folders.
        sqlite3* db = nullptr;
        sqlite3_open(DatabasePath().c_str(), &db);
        sqlite3_stmt* all = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT * FROM tbl_hostsite", -1, &all, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_column_count(all), 8);
        int count = 0;
        while (sqlite3_step(all) == SQLITE_ROW)
            ++count;
        EXPECT_EQ(count, 4);
        sqlite3_finalize(all);
        sqlite3_close(db);
    }

    // A site deleted by another program leaves its folder too; the next start shows the rest.
    RunSql("delete from tbl_hostsite where hostname = 'mail';");
    ModalScript::Get().ExpectMessage("Delete the folder Customers? Its sites and folders move to Sites List; no "
                                     "site is deleted.",
                                     "Shellyard", wxYES_NO, wxID_YES);
    ChooseOn("Customers", ID_FOLDER_DELETE);
    ModalScript::Get().Verify();
    EXPECT_EQ(Outline(), "Sites List[ACME[web,mail],Lab & Test 'x'[db],build]");
    DestroyFrame();
    CreateFrame();
    EXPECT_EQ(Outline(), "Sites List[ACME[web],Lab & Test 'x'[db],build]");
}

// Find on a tree of a thousand sites in ten folders: matches by name, host or note in any case,
// with their folders opened, at most 500 shown; Down goes into the tree, Enter asks to
// connect the first match, Escape brings back the tree as it was. Then a folder of a hundred sites
// is deleted (they all move up), and "Delete all sites" keeps a copy first.
TEST_F(SitesWorkspaceTest, FindOnAThousandSitesThenDeletingAFolderAndAllSites)
{
    std::vector<Row> rows;
    for (int i = 0; i < 1005; ++i)
        rows.push_back({"", "", "ssh", "10.0." + std::to_string(i / 100) + "." + std::to_string(i % 100),
                        "site-" + std::to_string(i), "22", "", i == 517 ? "Ask ANA first" : ""});
    CreateDatabase(rows);
    {
        SiteStore setup(nullptr);
        ASSERT_EQ(setup.Open(DatabasePath()), 1);
        for (int f = 0; f < 10; ++f)
            ASSERT_EQ(setup.AddFolder(0, "group " + std::to_string(f)), f + 1);
    }
    // Sites 100 f + 1 to 100 f + 100 in folder f + 1, all in one go.
    RunSql("insert into shellyard_site_folder select rowid, (rowid - 1) / 100 + 1 from tbl_hostsite where rowid <= 1000;");
    CreateFrame();
    Tree()->Expand(Node("group 3"));
    wxTextCtrl* find = FrameProbe::FindField(frame);
    wxTreeCtrl* found = FrameProbe::FindTree(frame);
    auto typeInFind = [&](const wxString& text) {
        find->SetValue(text);  // sends the text event, as typing does
        PumpEvents();
    };
    auto key = [&](int code) {
        wxKeyEvent event(wxEVT_KEY_DOWN);
        event.m_keyCode = code;
        event.SetEventObject(find);
        find->GetEventHandler()->ProcessEvent(event);
    };

    // Ctrl+F anywhere in the window goes to Find.
    Tree()->SetFocus();
    WaitFor([&] { return wxWindow::FindFocus() == Tree(); }, 2s);
    wxUIActionSimulator keys;
    keys.Char('F', wxMOD_CONTROL);
    EXPECT_TRUE(WaitFor([&] { return wxWindow::FindFocus() == find; }, 5s));

    typeInFind("SITE-99");
    EXPECT_FALSE(Tree()->IsShown());
    EXPECT_TRUE(found->IsShown());
    EXPECT_EQ(Outline(found, found->GetRootItem()),
              "Sites List[group 0[site-99],group 9[site-990,site-991,site-992,site-993,site-994,site-995,site-996,"
              "site-997,site-998,site-999]]");
    EXPECT_TRUE(found->IsExpanded(Node("group 9", found)));
    typeInFind("ana");
    EXPECT_EQ(Outline(found, found->GetRootItem()), "Sites List[group 5[site-517]]");
    typeInFind("10.0.10.");
    EXPECT_EQ(Outline(found, found->GetRootItem()), "Sites List[site-1000,site-1001,site-1002,site-1003,site-1004]");
    typeInFind("nothing like it");
    EXPECT_EQ(Outline(found, found->GetRootItem()), "Sites List[]");
    // At most 500 are shown (the first five folders'), and a last line says how many more match.
    typeInFind("site-");
    EXPECT_EQ(found->GetChildrenCount(found->GetRootItem(), true), 5u + 500u + 1u);
    EXPECT_EQ(found->GetItemText(found->GetLastChild(found->GetRootItem())),
              "505 more sites match: type more to narrow the list");

    typeInFind("site-51");
    key(WXK_DOWN);
    EXPECT_TRUE(WaitFor([&] { return wxWindow::FindFocus() == found; }, 2s));
    EXPECT_EQ(found->GetItemText(found->GetSelection()), "site-51");
    ModalScript::Get().ExpectMessage("Are you sure to connect site-51 - 10.0.0.51 now?", "Shellyard", wxYES_NO,
                                     wxID_NO);
    wxCommandEvent enter(wxEVT_TEXT_ENTER, find->GetId());
    enter.SetEventObject(find);
    find->GetEventHandler()->ProcessEvent(enter);
    ModalScript::Get().Verify();
    // A site's menu works on a match as on the tree.
    ShownMenu menu = RightClick(Node("site-510", found), wxPoint(5, 5));
    ASSERT_TRUE(menu.shown);
    EXPECT_EQ(FrameProbe::CurrentSite(frame).host, "10.0.5.10");
    key(WXK_ESCAPE);
    PumpEvents();
    EXPECT_EQ(find->GetValue(), "");
    EXPECT_TRUE(Tree()->IsShown());
    EXPECT_FALSE(found->IsShown());
    EXPECT_TRUE(Tree()->IsExpanded(Node("group 3"))) << "the tree comes back as it was";

    ModalScript::Get().ExpectMessage(
        "Delete the folder group 3? Its sites and folders move to Sites List; no site is deleted.", "Shellyard",
        wxYES_NO, wxID_YES);
    ChooseOn("group 3", ID_FOLDER_DELETE);
    ModalScript::Get().Verify();
    EXPECT_FALSE(Node("group 3").IsOk());
    EXPECT_EQ(Tree()->GetChildrenCount(Root(), false), 9u + 100u + 5u);
    EXPECT_EQ(Tree()->GetItemText(Tree()->GetLastChild(Root())), "site-1004");

    // Delete all sites: No keeps everything; a copy that cannot be written keeps everything; Yes
    // writes the copy, then deletes every site and folder.
    const std::string copy = DatabasePath() + ".bak";
    const std::vector<Row> before = Rows();
    const char* question = "Delete all 1005 sites? A copy of the database is kept as Shellyard.db.bak.";
    ModalScript::Get().ExpectMessage(question, "Shellyard", wxYES_NO, wxID_NO);
    Choose(Root(), ID_SITES_DELETE_ALL);
    fs::create_directories(copy + ".part/in the way");
    ModalScript::Get().ExpectMessage(question, "Shellyard", wxYES_NO, wxID_YES);
    ModalScript::Get().ExpectDialog<wxMessageDialog>("the failed copy", [&](wxMessageDialog* box) {
        EXPECT_EQ(box->GetMessage().utf8_string().rfind("The copy " + copy + " could not be written, so no site was "
                                                        "deleted: ",
                                                        0),
                  0u)
            << box->GetMessage();
        return int(wxID_OK);
    });
    Choose(Root(), ID_SITES_DELETE_ALL);
    ModalScript::Get().Verify();
    EXPECT_EQ(Rows(), before);
    EXPECT_EQ(Tree()->GetChildrenCount(Root(), false), 114u);
    fs::remove_all(copy + ".part");
    ModalScript::Get().ExpectMessage(question, "Shellyard", wxYES_NO, wxID_YES);
    Choose(Root(), ID_SITES_DELETE_ALL);
    ModalScript::Get().Verify();
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(Tree()->GetChildrenCount(Root()), 0u);
    EXPECT_EQ(Rows(copy), before);
    EXPECT_EQ(fs::status(copy).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    DestroyFrame();
    CreateFrame();
    EXPECT_EQ(Outline(), "Sites List[]");
}

// Six thousand sites in thirty folders, one folder holding another: the first folders come filled at
// start, the later ones when they are opened or something is put into them; every site is there
// once, in its folder, whatever is done to folders not opened yet.
TEST_F(SitesWorkspaceTest, FoldersOfALargeStoreAreFilledWhenOpenedAndLoseNothing)
{
    std::vector<Row> rows;
    for (int i = 0; i < 6000; ++i)
        rows.push_back({"", "", "ssh", "10.1." + std::to_string(i / 256) + "." + std::to_string(i % 256),
                        "site-" + std::to_string(i), "22", "", ""});
    CreateDatabase(rows);
    {
        SiteStore setup(nullptr);
        ASSERT_EQ(setup.Open(DatabasePath()), 1);
        for (int f = 0; f < 30; ++f)
            ASSERT_EQ(setup.AddFolder(0, wxString::Format("team %02d", f)), f + 1);
        ASSERT_EQ(setup.AddFolder(30, "inner"), 31);
    }
    // site-n (rowid n + 1) in team n / 200; the last ten of team 29 in its folder "inner".
    RunSql("insert into shellyard_site_folder select rowid, case when rowid > 5990 then 31 else (rowid - 1) / 200 + 1 "
           "end from tbl_hostsite;");
    CreateFrame();
    auto childCount = [&](const std::string& label) { return Tree()->GetChildrenCount(Node(label), false); };
    EXPECT_EQ(Tree()->GetChildrenCount(Root(), false), 30u);
    EXPECT_EQ(childCount("team 00"), 200u);
    EXPECT_EQ(childCount("team 29"), 0u) << "not made before it is opened";
    EXPECT_TRUE(Tree()->ItemHasChildren(Node("team 29")));
    Tree()->Expand(Node("team 29"));
    EXPECT_EQ(childCount("team 29"), 1u + 190u);
    EXPECT_EQ(Tree()->GetItemText(Tree()->GetLastChild(Node("inner"))), "site-5999");
    EXPECT_EQ(Outline(FrameProbe::Tree(frame), Node("inner")),
              "inner[site-5990,site-5991,site-5992,site-5993,site-5994,site-5995,site-5996,site-5997,site-5998,"
              "site-5999]");

    // Dragged into a folder not opened yet: the folder is filled, the site selected in it.
    Drag(Node("site-0"), Node("team 28"));
    EXPECT_EQ(childCount("team 28"), 201u);
    EXPECT_EQ(Tree()->GetItemText(Tree()->GetSelection()), "site-0");
    EXPECT_EQ(Tree()->GetItemParent(Tree()->GetSelection()), Node("team 28"));
    EXPECT_EQ(childCount("team 00"), 199u);
    // A folder not opened yet is deleted: its sites come up to the top level, after the folders.
    ModalScript::Get().ExpectMessage(
        "Delete the folder team 27? Its sites and folders move to Sites List; no site is deleted.", "Shellyard",
        wxYES_NO, wxID_YES);
    ChooseOn("team 27", ID_FOLDER_DELETE);
    ModalScript::Get().Verify();
    EXPECT_EQ(Tree()->GetChildrenCount(Root(), false), 29u + 200u);
    EXPECT_EQ(Tree()->GetItemText(Tree()->GetLastChild(Root())), "site-5599");
    // A folder not opened yet is moved into an opened one and keeps its sites.
    Drag(Node("team 26"), Node("team 29"));
    Tree()->Expand(Node("team 26"));
    EXPECT_EQ(childCount("team 26"), 200u);
    EXPECT_EQ(Tree()->GetItemParent(Node("team 26")), Node("team 29"));

    // After a restart, every site is in the tree exactly once, in the folder the store has it in.
    DestroyFrame();
    CreateFrame();
    std::map<std::string, std::string> folderOf;
    std::vector<std::pair<wxTreeItemId, std::string>> pending{{Root(), ""}};
    size_t sites = 0;
    while (!pending.empty()) {
        auto [node, path] = pending.back();
        pending.pop_back();
        for (const wxTreeItemId& child : Children(node)) {
            auto* data = dynamic_cast<SiteTreeItemData*>(Tree()->GetItemData(child));
            const std::string label = Tree()->GetItemText(child).utf8_string();
            if (data && data->IsFolder()) {
                pending.push_back({child, path + "/" + label});
            } else if (data && data->IsSite()) {
                ++sites;
                EXPECT_TRUE(folderOf.emplace(label, path).second) << label << " twice";
            }
        }
    }
    EXPECT_EQ(sites, 6000u);
    EXPECT_EQ(folderOf["site-0"], "/team 28");
    EXPECT_EQ(folderOf["site-5400"], "");
    EXPECT_EQ(folderOf["site-5200"], "/team 29/team 26");
    EXPECT_EQ(folderOf["site-5995"], "/team 29/inner");
    EXPECT_EQ(folderOf["site-1"], "/team 00");
}

namespace {
// Another program holding an exclusive lock on the database from now on for a while, as the sqlite3
// shell's "begin exclusive" does.
std::thread HoldLock(const std::string& path, std::chrono::milliseconds time)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    EXPECT_EQ(sqlite3_exec(db, "begin exclusive;", nullptr, nullptr, nullptr), SQLITE_OK);
    return std::thread([db, time] {
        std::this_thread::sleep_for(time);
        sqlite3_exec(db, "commit;", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    });
}
}  // namespace

// A save that meets a lock held for 3 s waits and stores; one held for 8 s, or refused by the
// database, says why (never that the file is incorrect), keeps the editor open with what was typed
// and shows nothing that is not stored. Modify alike.
TEST_F(SitesWorkspaceTest, ASaveTheDatabaseCannotTakeSaysWhyAndKeepsTheEditorOpen)
{
    using Clock = std::chrono::steady_clock;
    CreateDatabase({{"", "", "ssh", "10.0.0.1", "kept", "22"}});
    CreateFrame();
    // The editor gets a site; what happens at OK is checked by check (the dialog, accepted?).
    auto editor = [&](const char* name, const std::function<int(ShellyardNewSiteDialog*)>& check) {
        ModalScript::Get().ExpectDialog<ShellyardNewSiteDialog>("the editor", [=](ShellyardNewSiteDialog* d) {
            In::Type(In::Name(d), name);
            In::Type(In::Host(d), "127.0.0.1");
            In::ChooseProtocol(d, 1);  // Telnet on a closed port: nothing logs in anywhere
            In::Type(In::Port(d), "1");
            In::ClickOk(d);
            return check(d);
        });
    };
    auto keptOpen = [](ShellyardNewSiteDialog* d) {
        EXPECT_NE(d->GetReturnCode(), 1);
        EXPECT_TRUE(d->IsShown() || !d->IsModal());
        EXPECT_EQ(In::Host(d)->GetValue(), "127.0.0.1") << "what was typed is still there";
        EXPECT_EQ(In::Port(d)->GetValue(), "1");
        return int(wxID_CANCEL);
    };

    std::thread brief = HoldLock(DatabasePath(), 3000ms);
    auto start = Clock::now();
    editor("waited", [](ShellyardNewSiteDialog* d) { return d->GetReturnCode(); });
    FrameProbe::Command(frame, FrameProbe::NewConnectionId(frame));
    ModalScript::Get().Verify();
    EXPECT_GE(Clock::now() - start, 2500ms);
    brief.join();
    ConnectionsDone();
    EXPECT_EQ(Outline(), "Sites List[kept,waited]");
    EXPECT_EQ(Rows().size(), 2u);

    const char* busy = "The site %s could not be saved: the database is busy (another program is using it). "
                       "Nothing was changed; try again.";
    std::thread longer = HoldLock(DatabasePath(), 8000ms);
    start = Clock::now();
    editor("locked out", keptOpen);
    ModalScript::Get().ExpectMessage(wxString::Format(busy, "locked out"), "Shellyard", wxOK | wxICON_ERROR, wxID_OK);
    FrameProbe::Command(frame, FrameProbe::NewConnectionId(frame));
    ModalScript::Get().Verify();
    EXPECT_GE(Clock::now() - start, 4500ms);
    longer.join();
    // Modify meets the same lock when it stores (the lock is taken while the editor is open).
    std::thread again;
    ModalScript::Get().ExpectDialog<ShellyardNewSiteDialog>("the editor", [&](ShellyardNewSiteDialog* d) {
        EXPECT_EQ(d->GetTitle(), "Modify Connection");
        again = HoldLock(DatabasePath(), 8000ms);
        In::Type(In::Name(d), "renamed");
        In::ClickOk(d);
        EXPECT_NE(d->GetReturnCode(), 1);
        EXPECT_EQ(In::Name(d)->GetValue(), "renamed");
        return int(wxID_CANCEL);
    });
    ModalScript::Get().ExpectMessage(wxString::Format(busy, "renamed"), "Shellyard", wxOK | wxICON_ERROR, wxID_OK);
    Choose(Site("kept"), ID_SITE_MODIFY);
    ModalScript::Get().Verify();
    again.join();
    EXPECT_EQ(Outline(), "Sites List[kept,waited]");
    EXPECT_EQ(TabCount(), 1) << "only the stored site was connected";

    // A database that refuses the row.
    RunSql("create trigger refuse before insert on tbl_hostsite begin select raise(abort, 'refused'); end;");
    editor("refused", keptOpen);
    ModalScript::Get().ExpectMessage("The site refused could not be saved: the database refused it "
                                     "([ErrNo=19,ErrMsg=refused]). Nothing was changed.",
                                     "Shellyard", wxOK | wxICON_ERROR, wxID_OK);
    FrameProbe::Command(frame, FrameProbe::NewConnectionId(frame));
    ModalScript::Get().Verify();
    EXPECT_EQ(Outline(), "Sites List[kept,waited]");
    EXPECT_EQ(Rows().size(), 2u);
}

// The same outcome on a database in a read-only file system and in a full one: a tiny file system
// mounted for the test (in a mount namespace of its own).
TEST_F(SitesWorkspaceTest, ReadOnlyAndFullDatabasesSayWhyAndKeepTheEditorOpen)
{
    if (Env("SHELLYARD_TEST_MOUNTS") != "1")
        GTEST_SKIP() << "needs a mount namespace of its own to mount a tiny file system: run as root through "
                        "tests/support/with-private-mounts.sh";
    fs::create_directories(programDir);
    ASSERT_EQ(system(("mount -t tmpfs -o size=256k,mode=0700 tmpfs '" + programDir + "'").c_str()), 0);
    mounted = true;
    CreateDatabase({{"", "", "ssh", "10.0.0.1", "kept", "22"}});
    CreateFrame();  // writes the settings file while it can
    DestroyFrame();
    ASSERT_EQ(system(("mount -o remount,ro '" + programDir + "'").c_str()), 0);
    CreateFrame();
    ModalScript::Get().ExpectDialog<ShellyardNewSiteDialog>("the editor", [&](ShellyardNewSiteDialog* d) {
        In::Type(In::Name(d), "read-only");
        In::Type(In::Host(d), "127.0.0.1");
        In::ClickOk(d);
        EXPECT_NE(d->GetReturnCode(), 1);
        EXPECT_EQ(In::Name(d)->GetValue(), "read-only");
        return int(wxID_CANCEL);
    });
    ModalScript::Get().ExpectMessage("The site read-only could not be saved: the database cannot be written (it is "
                                     "read-only). Nothing was changed.",
                                     "Shellyard", wxOK | wxICON_ERROR, wxID_OK);
    FrameProbe::Command(frame, FrameProbe::NewConnectionId(frame));
    ModalScript::Get().Verify();
    EXPECT_EQ(Outline(), "Sites List[kept]");
    DestroyFrame();

    ASSERT_EQ(system(("mount -o remount,rw '" + programDir + "'").c_str()), 0);
    CreateFrame();
    const std::string filler = programDir + "/filler";
    {
        std::FILE* out = std::fopen(filler.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::vector<char> block(4096, 'x');
        while (std::fwrite(block.data(), 1, block.size(), out) == block.size() && std::fflush(out) == 0) {
        }
        std::fclose(out);
    }
    ModalScript::Get().ExpectDialog<ShellyardNewSiteDialog>("the editor", [&](ShellyardNewSiteDialog* d) {
        In::Type(In::Name(d), "full");
        In::Type(In::Host(d), "127.0.0.1");
        In::Type(In::Port(d), "1");
        In::ClickOk(d);
        EXPECT_NE(d->GetReturnCode(), 1);
        // Room made, the same OK stores the site.
        fs::remove(filler);
        In::ClickOk(d);
        return d->GetReturnCode();
    });
    ModalScript::Get().ExpectMessage("The site full could not be saved: the disk is full. Nothing was changed; "
                                     "free some space and try again.",
                                     "Shellyard", wxOK | wxICON_ERROR, wxID_OK);
    FrameProbe::Command(frame, FrameProbe::NewConnectionId(frame));
    ModalScript::Get().Verify();
    ConnectionsDone();
    EXPECT_EQ(Outline(), "Sites List[kept,full]");
    EXPECT_EQ(Rows().size(), 2u);
}
