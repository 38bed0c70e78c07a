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
#include <sys/stat.h>
#include <thread>
#include <wx/textctrl.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {
class SitesWorkspaceTest : public SiteTreeFixture {
protected:
    void TearDown() override
    {
        if (!bashrc.empty())
            WriteFile(Home() + "/.bashrc", bashrc);
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

    std::string bashrc;
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

