#pragma once
// The site tree as the GUI tests drive it: the real frame with its database, the tree's nodes and
// labels, the rows in the file, and the user's actions on the tree (double click, right click with
// the menu that pops up, choosing a menu entry, the site editor). The private SSH server of
// with-sshd.sh, when there, gives the sessions a place to log in.
#include "support/FrameFixture.h"
#include "support/NewSiteDialogProbe.h"
#include "support/ProcessTable.h"
#include "support/ShellCommand.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <gtk/gtk.h>
#include <sqlite3.h>
#include <string>
#include <vector>

using Row = std::vector<std::string>;  // hostpasswd, hostuser, hosttype, hostip, hostname, hostport


// What a popup menu showed: its entries ("-" for a separator) and its top-left corner on the screen.
struct ShownMenu {
    std::vector<std::string> entries;
    wxPoint position;
    bool shown = false;
    bool done = false;
};

// Runs inside the popup's own event loop: finds the mapped GTK menu, records it and closes it.
inline gboolean CaptureMenu(gpointer data)
{
    auto* menu = static_cast<ShownMenu*>(data);
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w && !menu->shown; w = w->next) {
        GtkWidget* window = GTK_WIDGET(w->data);
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(window));
        if (!gtk_widget_get_mapped(window) || !child || !GTK_IS_MENU(child))
            continue;
        GList* items = gtk_container_get_children(GTK_CONTAINER(child));
        for (GList* i = items; i; i = i->next) {
            if (GTK_IS_SEPARATOR_MENU_ITEM(i->data))
                menu->entries.push_back("-");
            else
                menu->entries.push_back(gtk_menu_item_get_label(GTK_MENU_ITEM(i->data)));
        }
        g_list_free(items);
        gdk_window_get_origin(gtk_widget_get_window(window), &menu->position.x, &menu->position.y);
        menu->shown = true;
        gtk_menu_popdown(GTK_MENU(child));
    }
    g_list_free(windows);
    if (menu->shown)
        menu->done = true;
    return menu->shown ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
}

class SiteTreeFixture : public FrameFixture {
protected:
    using In = NewSiteDialogProbe;

    void SetUp() override
    {
        FrameFixture::SetUp();
        sshPort = Env("SHELLYARD_TEST_SSH_PORT");
        sshUser = Env("SHELLYARD_TEST_SSH_USER");
        sshPassword = Env("SHELLYARD_TEST_SSH_PASSWORD");
        // The server ends an earlier test's shells a moment after their terminals went; counting
        // this test's logins starts once they are gone.
        if (HaveSshServer()) {
            ASSERT_TRUE(WaitFor([this] { return LoginShells() == 0; }, std::chrono::seconds(15)))
                << "an earlier test's login shells are still running";
        }
    }
    void TearDown() override
    {
        DestroyFrame();
        EXPECT_TRUE(WaitFor([] { return ChildProcesses().empty(); }, std::chrono::seconds(5)))
            << ChildProcesses().size() << " started processes left";
        FrameFixture::TearDown();
    }
    // Connections need the private SSH server of tests/support/with-sshd.sh.
    bool HaveSshServer() const { return !sshPort.empty(); }
    // Login shells of the test account on the server: one per logged-in terminal.
    int LoginShells()
    {
        std::string count;
        if (FILE* pipe = popen(("pgrep -c -x -u '" + sshUser + "' bash").c_str(), "r")) {
            char buffer[64] = {};
            if (fgets(buffer, sizeof buffer, pipe))
                count = buffer;
            pclose(pipe);
        }
        return atoi(count.c_str());
    }
    std::string sshPort, sshUser, sshPassword;

    wxTreeCtrl* Tree() { return FrameProbe::Tree(frame); }
    wxTreeItemId Root() { return Tree()->GetRootItem(); }

    // A node's children. A site's detail lines are made when it is first opened: a closed one is
    // opened and closed again, as a user looking at it would.
    std::vector<wxTreeItemId> Children(const wxTreeItemId& node)
    {
        if (node.IsOk() && Tree()->ItemHasChildren(node) && Tree()->GetChildrenCount(node, false) == 0) {
            Tree()->Expand(node);
            Tree()->Collapse(node);
        }
        std::vector<wxTreeItemId> children;
        wxTreeItemIdValue cookie;
        for (wxTreeItemId c = Tree()->GetFirstChild(node, cookie); c.IsOk(); c = Tree()->GetNextChild(node, cookie))
            children.push_back(c);
        return children;
    }
    std::vector<std::string> Labels(const wxTreeItemId& node)
    {
        std::vector<std::string> labels;
        for (const wxTreeItemId& c : Children(node))
            labels.push_back(Tree()->GetItemText(c).ToStdString());
        return labels;
    }
    wxTreeItemId Site(const std::string& name)
    {
        for (const wxTreeItemId& c : Children(Root()))
            if (Tree()->GetItemText(c) == name)
                return c;
        ADD_FAILURE() << "no site node " << name;
        return wxTreeItemId();
    }
    int TabCount() { return static_cast<int>(FrameProbe::Notebook(frame)->GetPageCount()); }

    // Rows of the site table as (hostname, hostip, hosttype, hostport, hostuser, hostpasswd, post, comments).
    std::vector<Row> StoredRows()
    {
        std::vector<Row> rows;
        sqlite3* db = nullptr;
        sqlite3_open(DatabasePath().c_str(), &db);
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(db,
                           "select hostname, hostip, hosttype, hostport, hostuser, hostpasswd, hostpostcommand, "
                           "hostcomments from tbl_hostsite order by rowid;",
                           -1, &select, nullptr);
        while (select && sqlite3_step(select) == SQLITE_ROW) {
            Row row;
            for (int i = 0; i < 8; ++i) {
                const unsigned char* text = sqlite3_column_text(select, i);
                row.push_back(text ? reinterpret_cast<const char*>(text) : "<null>");
            }
            rows.push_back(row);
        }
        sqlite3_finalize(select);
        sqlite3_close(db);
        return rows;
    }
    // Every row exactly as stored: its rowid, then each column's bytes in hex.
    std::vector<std::string> RawRows()
    {
        std::vector<std::string> rows;
        sqlite3* db = nullptr;
        sqlite3_open(DatabasePath().c_str(), &db);
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(db,
                           "select rowid || ':' || hex(hostpasswd) || ',' || hex(hostuser) || ',' || hex(hosttype) "
                           "|| ',' || hex(hostip) || ',' || hex(hostname) || ',' || hex(hostport) || ',' || "
                           "hex(hostpostcommand) || ',' || hex(hostcomments) from tbl_hostsite order by rowid;",
                           -1, &select, nullptr);
        while (select && sqlite3_step(select) == SQLITE_ROW)
            rows.push_back(reinterpret_cast<const char*>(sqlite3_column_text(select, 0)));
        sqlite3_finalize(select);
        sqlite3_close(db);
        return rows;
    }
    void RunSql(const std::string& sql)
    {
        sqlite3* db = nullptr;
        sqlite3_open(DatabasePath().c_str(), &db);
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
        sqlite3_close(db);
    }

    // Sends the event the tree sends for a double click or Enter on item.
    void Activate(const wxTreeItemId& item)
    {
        wxTreeEvent event(wxEVT_TREE_ITEM_ACTIVATED, Tree(), item);
        Tree()->GetEventHandler()->ProcessEvent(event);
    }
    // Right-clicks item; point in the tree's coordinates, (-1, -1) as when asked from the keyboard.
    // Returns the menu that popped up (closed again without choosing).
    ShownMenu RightClick(const wxTreeItemId& item, wxPoint point)
    {
        return WithMenuCapture([&] {
            wxTreeEvent event(wxEVT_TREE_ITEM_RIGHT_CLICK, Tree(), item);
            event.SetPoint(point);
            Tree()->GetEventHandler()->ProcessEvent(event);
        });
    }
    ShownMenu WithMenuCapture(const std::function<void()>& open)
    {
        ShownMenu menu;
        guint source = g_timeout_add(10, CaptureMenu, &menu);
        open();
        if (!menu.done)
            g_source_remove(source);
        return menu;
    }
    // Right-clicks a site and chooses a menu entry, as the user does.
    void Choose(const wxTreeItemId& item, int id)
    {
        ShownMenu menu = RightClick(item, wxPoint(5, 5));
        ASSERT_TRUE(menu.shown);
        FrameProbe::Command(frame, id);
        ConnectionsDone();
    }

    void ExpectWarning(const char* text)
    {
        ModalScript::Get().ExpectMessage(text, "Warning", wxOK | wxICON_INFORMATION, wxID_OK);
    }
    // Answers the site editor as a user filling in these fields and pressing OK.
    void ExpectEditor(const wxString& name, const wxString& host, const wxString& port = "", int protocol = 0,
                      const wxString& user = "", const wxString& password = "")
    {
        ModalScript::Get().ExpectDialog<ShellyardNewSiteDialog>("site editor", [=](ShellyardNewSiteDialog* d) {
            EXPECT_EQ(d->GetTitle(), "New Connection");
            EXPECT_EQ(d->GetParent(), frame.get());
            In::Type(In::Name(d), name);
            In::Type(In::Host(d), host);
            if (protocol != 0)
                In::ChooseProtocol(d, protocol);
            if (!port.empty())
                In::Type(In::Port(d), port);
            if (!user.empty() || !password.empty()) {
                In::ClickAutoLogin(d);
                In::Type(In::User(d), user);
                In::Type(In::Password(d), password);
            }
            In::ClickOk(d);
            return d->GetReturnCode();
        });
    }
};
