// The site editor: its initial state, what each control does to the others, the checks made when
// OK is pressed, the values it hands out, and filled from a stored site for "Modify Connection".
#include <fstream>
#include <wx/filename.h>
#include "support/GuiTest.h"
#include "support/NewSiteDialogProbe.h"

#include <wx/statbox.h>
#include <wx/timer.h>

namespace {
using In = NewSiteDialogProbe;

struct Fields {
    wxString name, host, protocol, port, user, password;
};

class NewSiteDialogTest : public TempDirsTest {
protected:
    void SetUp() override
    {
        TempDirsTest::SetUp();
        dialog = new ShellyardNewSiteDialog(nullptr);
        dialog->Show();
        WaitFor([this] { return dialog->IsShownOnScreen(); }, std::chrono::seconds(5));
    }
    void TearDown() override
    {
        dialog->Destroy();
        PumpEvents();
        ModalScript::Get().Verify();
        TempDirsTest::TearDown();
    }
    Fields Handed() const
    {
        Fields f;
        dialog->GetSiteFields(f.name, f.host, f.protocol, f.port, f.user, f.password);
        return f;
    }
    bool Accepted() const { return dialog->GetReturnCode() == 1; }

    // Shows the dialog modally for real and lets action end it; returns ShowModal's result.
    int RunModal(const std::function<void()>& action)
    {
        wxTimer safety;
        safety.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
            ADD_FAILURE() << "the modal run did not end";
            dialog->EndModal(wxID_ABORT);
        });
        safety.StartOnce(10000);
        dialog->CallAfter(action);
        ModalScript::Get().Unregister();
        int result = dialog->ShowModal();
        ModalScript::Get().Register();
        return result;
    }

    // The login fields follow the auto-login box and the protocol together.
    void ExpectLoginFieldsEnabled(bool enabled)
    {
        EXPECT_EQ(In::User(dialog)->IsEnabled(), enabled);
        EXPECT_EQ(In::Password(dialog)->IsEnabled(), enabled);
        EXPECT_EQ(In::ShowPassword(dialog)->IsEnabled(), enabled);
    }
    // The post-login box can be used for SSH and Telnet alike; the commands follow it.
    void ExpectPostLoginSectionUnchecked()
    {
        EXPECT_TRUE(In::PostLogin(dialog)->IsEnabled());
        EXPECT_FALSE(In::PostLogin(dialog)->IsChecked());
        for (int i = 1; i <= 3; ++i)
            EXPECT_FALSE(In::Command(dialog, i)->IsEnabled()) << "command " << i;
    }

    ShellyardNewSiteDialog* dialog = nullptr;
};
}  // namespace

TEST_F(NewSiteDialogTest, OpensEmptyWithSshOnPort22AndLoginFieldsGreyed)
{
    EXPECT_EQ(dialog->GetTitle(), "New Connection");
    EXPECT_GE(dialog->GetSize().x, 440);
    EXPECT_GE(dialog->GetSize().y, 345);
    EXPECT_EQ(dialog->GetWindowStyleFlag() & wxDEFAULT_DIALOG_STYLE, wxDEFAULT_DIALOG_STYLE);

    wxNotebook* notebook = In::Notebook(dialog);
    EXPECT_EQ(notebook->GetWindowStyleFlag() & 0xFFF0, 0x840);
    ASSERT_EQ(notebook->GetPageCount(), 1u);
    EXPECT_EQ(notebook->GetPageText(0), "Connection");
    EXPECT_EQ(notebook->GetSelection(), 0);

    EXPECT_EQ(In::Name(dialog)->GetValue(), "");
    EXPECT_EQ(In::Host(dialog)->GetValue(), "");
    wxChoice* protocol = In::Protocol(dialog);
    ASSERT_EQ(protocol->GetCount(), 2u);
    EXPECT_EQ(protocol->GetString(0), "SSH");
    EXPECT_EQ(protocol->GetString(1), "TELNET");
    EXPECT_EQ(protocol->GetSelection(), 0);
    EXPECT_EQ(In::Port(dialog)->GetValue(), "22");

    EXPECT_EQ(In::AutoLogin(dialog)->GetLabel(), "Enable Auto Log in(Only in SSH Protocol)");
    EXPECT_TRUE(In::AutoLogin(dialog)->IsEnabled());
    EXPECT_FALSE(In::AutoLogin(dialog)->IsChecked());
    ExpectLoginFieldsEnabled(false);
    EXPECT_TRUE(In::Password(dialog)->GetWindowStyleFlag() & wxTE_PASSWORD);
    EXPECT_EQ(In::ShowPassword(dialog)->GetToolTipText(), "Show password in plain text.");
    EXPECT_TRUE(In::ShowPassword(dialog)->GetBitmap().IsOk());

    EXPECT_EQ(In::PostLogin(dialog)->GetLabel(), "Enable Post-login command");
    ExpectPostLoginSectionUnchecked();
    EXPECT_EQ(In::Ok(dialog)->GetId(), wxID_OK);
    EXPECT_TRUE(In::Ok(dialog)->IsShownOnScreen());
}

// The dialog's fixed size was made for compact fonts: with this platform's larger controls nothing
// may be cut off or squeezed.
TEST_F(NewSiteDialogTest, EveryControlIsWhollyVisible)
{
    wxWindow* page = In::Notebook(dialog)->GetPage(0);
    wxRect pageRect = page->GetScreenRect();
    std::function<void(wxWindow*)> check = [&](wxWindow* parent) {
        for (wxWindow* child : parent->GetChildren()) {
            wxRect r = child->GetScreenRect();
            // GTK reports a static box taller than the frame it draws; its contents are checked.
            if (!wxDynamicCast(child, wxStaticBox)) {
                EXPECT_TRUE(pageRect.Contains(r)) << "cut off: \"" << child->GetLabel() << "\" at " << r.x << ","
                                                  << r.y << " " << r.width << "x" << r.height;
            }
            EXPECT_GE(r.width, child->GetBestSize().x) << "narrowed: \"" << child->GetLabel() << "\"";
            EXPECT_GE(r.height, child->GetBestSize().y) << "squeezed: \"" << child->GetLabel() << "\"";
            check(child);
        }
    };
    check(page);
    EXPECT_TRUE(dialog->GetScreenRect().Contains(In::Ok(dialog)->GetScreenRect()));
}

TEST_F(NewSiteDialogTest, OkWithOnlyTheHostUsesItAsNameWithSshOnPort22)
{
    In::Type(In::Host(dialog), "10.20.30.40");
    In::ClickOk(dialog);
    EXPECT_TRUE(Accepted());
    EXPECT_FALSE(dialog->IsShown());
    Fields f = Handed();
    EXPECT_EQ(f.name, "10.20.30.40");
    EXPECT_EQ(f.host, "10.20.30.40");
    EXPECT_EQ(f.protocol, "ssh");
    EXPECT_EQ(f.port, "22");
    EXPECT_EQ(f.user, "");
    EXPECT_EQ(f.password, "");
}

TEST_F(NewSiteDialogTest, HandsOutEverythingAsTypedBlanksIncluded)
{
    // Blanks are text: a name of blanks is not replaced by the host, a host of blanks is accepted.
    In::Type(In::Name(dialog), "   ");
    In::Type(In::Host(dialog), "  ");
    In::ClickAutoLogin(dialog);
    In::Type(In::User(dialog), " root ");
    In::Type(In::Password(dialog), "p'a\"ss word");
    In::Type(In::Port(dialog), "");
    In::ClickOk(dialog);
    ASSERT_TRUE(Accepted());
    Fields f = Handed();
    EXPECT_EQ(f.name, "   ");
    EXPECT_EQ(f.host, "  ");
    EXPECT_EQ(f.protocol, "ssh");
    EXPECT_EQ(f.port, "");
    EXPECT_EQ(f.user, " root ");
    EXPECT_EQ(f.password, "p'a\"ss word");
}

TEST_F(NewSiteDialogTest, ProtocolChangeSetsItsPortAndLoginFields)
{
    In::Type(In::Port(dialog), "2222");
    In::ClickAutoLogin(dialog);
    ExpectLoginFieldsEnabled(true);

    In::ChooseProtocol(dialog, 1);  // TELNET
    EXPECT_EQ(In::Port(dialog)->GetValue(), "23");
    EXPECT_FALSE(In::AutoLogin(dialog)->IsChecked());
    EXPECT_FALSE(In::AutoLogin(dialog)->IsEnabled());
    ExpectLoginFieldsEnabled(false);

    In::Type(In::Port(dialog), "2323");
    In::ChooseProtocol(dialog, 0);  // SSH again: the box comes back unchecked, the fields usable
    EXPECT_EQ(In::Port(dialog)->GetValue(), "22");
    EXPECT_TRUE(In::AutoLogin(dialog)->IsEnabled());
    EXPECT_FALSE(In::AutoLogin(dialog)->IsChecked());
    ExpectLoginFieldsEnabled(true);

    ExpectPostLoginSectionUnchecked();
    // Checked, the commands can be typed, for Telnet as well.
    In::ClickPostLogin(dialog);
    In::ChooseProtocol(dialog, 1);
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(In::Command(dialog, i)->IsEnabled()) << "command " << i;
}

TEST_F(NewSiteDialogTest, AutoLoginBoxEnablesTheLoginFieldsAndKeepsTheirText)
{
    In::ClickAutoLogin(dialog);
    ExpectLoginFieldsEnabled(true);
    In::Type(In::User(dialog), "admin");
    In::Type(In::Password(dialog), "secret");
    In::ClickAutoLogin(dialog);
    ExpectLoginFieldsEnabled(false);
    EXPECT_EQ(In::User(dialog)->GetValue(), "admin");
    EXPECT_EQ(In::Password(dialog)->GetValue(), "secret");
    ExpectPostLoginSectionUnchecked();
}

TEST_F(NewSiteDialogTest, UserAndPasswordTypedForSshAreStillHandedOutForTelnet)
{
    In::Type(In::Host(dialog), "switch1");
    In::ClickAutoLogin(dialog);
    In::Type(In::User(dialog), "admin");
    In::Type(In::Password(dialog), "secret");
    In::ChooseProtocol(dialog, 1);
    In::ClickOk(dialog);
    ASSERT_TRUE(Accepted());
    Fields f = Handed();
    EXPECT_EQ(f.protocol, "telnet");
    EXPECT_EQ(f.port, "23");
    EXPECT_EQ(f.user, "admin");
    EXPECT_EQ(f.password, "secret");
}

TEST_F(NewSiteDialogTest, EmptyHostWarnsAndKeepsTheDialogOpenWithTheFocusOnTheHost)
{
    In::Type(In::Name(dialog), "web");
    In::Name(dialog)->SetFocus();
    ModalScript::Get().ExpectMessage("Please specify the connection host IP informations.", "Warning",
                                     wxOK | wxICON_INFORMATION, wxID_OK);
    In::ClickOk(dialog);
    ModalScript::Get().Verify();
    EXPECT_FALSE(Accepted());
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_TRUE(WaitFor([this] { return wxWindow::FindFocus() == In::Host(dialog); }, std::chrono::seconds(2)));
    EXPECT_EQ(In::Name(dialog)->GetValue(), "web");

    // Corrected, the same dialog is accepted and keeps the typed name.
    In::Type(In::Host(dialog), "10.0.0.9");
    In::ClickOk(dialog);
    EXPECT_TRUE(Accepted());
    EXPECT_EQ(Handed().name, "web");
}

TEST_F(NewSiteDialogTest, AutoLoginForTelnetWarnsUnchecksAndStaysOpen)
{
    // The protocol changes without its event (as a keyboard-driven choice may), so the box is
    // still checked when OK is pressed.
    In::Type(In::Host(dialog), "10.0.0.7");
    In::ClickAutoLogin(dialog);
    In::Protocol(dialog)->SetSelection(1);
    ModalScript::Get().ExpectMessage("Warnning: Only SSH protocol support auto login with user and password.",
                                     "Warning", wxOK | wxICON_INFORMATION, wxID_OK);
    In::ClickOk(dialog);
    ModalScript::Get().Verify();
    EXPECT_FALSE(Accepted());
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_FALSE(In::AutoLogin(dialog)->IsChecked());

    In::ClickOk(dialog);
    EXPECT_TRUE(Accepted());
    EXPECT_EQ(Handed().protocol, "telnet");
}

TEST_F(NewSiteDialogTest, ShowPasswordShowsItBetweenQuotesEvenWhenEmpty)
{
    In::ClickAutoLogin(dialog);
    for (const char* password : {"", "s3 \"cr3t\""}) {
        In::Type(In::Password(dialog), password);
        ModalScript::Get().ExpectDialog<wxMessageDialog>("password box", [&](wxMessageDialog* box) {
            EXPECT_EQ(box->GetMessage(), wxString("Your Password is: \"") + password + "\"");
            EXPECT_EQ(box->GetCaption(), wxMessageBoxCaptionStr);
            EXPECT_EQ(box->GetMessageDialogStyle() & (wxOK | wxCENTRE), wxOK | wxCENTRE);
            return wxID_OK;
        });
        In::ClickShowPassword(dialog);
        ModalScript::Get().Verify();
    }
    EXPECT_TRUE(dialog->IsShown());
}

// Real modal runs, without the test's modal hook: OK must end ShowModal with 1; the close box and
// Escape must cancel (without a Cancel button the toolkit would take both for OK and save the site).
TEST_F(NewSiteDialogTest, RealModalRunEndsWithOneOnOkAndCancelsOnCloseBoxOrEscape)
{
    dialog->Hide();
    In::Type(In::Host(dialog), "10.0.0.10");
    EXPECT_EQ(RunModal([this] { dialog->Close(); }), wxID_CANCEL);
    EXPECT_EQ(RunModal([this] {
                  wxKeyEvent escape(wxEVT_CHAR_HOOK);
                  escape.m_keyCode = WXK_ESCAPE;
                  escape.SetEventObject(dialog);
                  dialog->GetEventHandler()->ProcessEvent(escape);
              }),
              wxID_CANCEL);
    EXPECT_EQ(RunModal([this] { In::ClickOk(dialog); }), 1);
}

// Filled from a stored site, the editor shows every value, hands back what was changed with the
// site's rowid and folder, and stays open with everything typed while the saver cannot store it.
TEST_F(NewSiteDialogTest, FilledFromASiteItHandsBackEveryFieldAndStaysOpenWhileTheSaveFails)
{
    dialog->Destroy();
    dialog = new ShellyardNewSiteDialog(nullptr, "Modify Connection");
    dialog->Show();
    SiteRecord stored;
    stored.rowid = 42;
    stored.folder = 7;
    stored.hostname = wxString::FromUTF8("web \"1\" 100% \t שלום");
    stored.hostip = "10.0.0.1";
    stored.hosttype = "ssh";
    stored.hostport = "2222";
    stored.hostuser = "root";
    stored.hostpasswd = "pw";
    stored.hostpostcommand = "cd /var/log\nsudo -i";
    stored.hostcomments = wxString::FromUTF8("rack 4\nask Ana first");
    dialog->SetSite(stored);
    EXPECT_EQ(dialog->GetTitle(), "Modify Connection");
    EXPECT_EQ(In::Name(dialog)->GetValue(), stored.hostname);
    EXPECT_EQ(In::Port(dialog)->GetValue(), "2222") << "filling the protocol keeps the stored port";
    EXPECT_TRUE(In::AutoLogin(dialog)->IsChecked());
    EXPECT_EQ(In::Password(dialog)->GetValue(), "pw");
    EXPECT_TRUE(In::Password(dialog)->IsEnabled());
    EXPECT_TRUE(In::PostLogin(dialog)->IsChecked());
    EXPECT_EQ(In::Command(dialog, 1)->GetValue(), "cd /var/log");
    EXPECT_EQ(In::Command(dialog, 2)->GetValue(), "sudo -i");
    EXPECT_EQ(In::Command(dialog, 3)->GetValue(), "");
    EXPECT_TRUE(In::Command(dialog, 3)->IsEnabled());
    EXPECT_EQ(In::Note(dialog)->GetValue(), stored.hostcomments);

    int tries = 0;
    SiteRecord offered;
    dialog->SetSaver([&](const SiteRecord& site) {
        offered = site;
        return ++tries > 1;
    });
    In::Type(In::Command(dialog, 1), "");
    In::Type(In::Command(dialog, 3), "tmux attach");
    In::ChooseProtocol(dialog, 1);  // TELNET: commands stay, the port follows
    In::ClickOk(dialog);
    EXPECT_FALSE(Accepted());
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_EQ(In::Command(dialog, 3)->GetValue(), "tmux attach") << "what was typed stays for the next try";
    EXPECT_EQ(offered.hostpostcommand, "sudo -i\ntmux attach");
    EXPECT_EQ(offered.hosttype, "telnet");
    EXPECT_EQ(offered.hostport, "23");

    In::ClickOk(dialog);
    ASSERT_TRUE(Accepted());
    SiteRecord saved = dialog->GetSite();
    EXPECT_EQ(saved.rowid, 42);
    EXPECT_EQ(saved.folder, 7);
    EXPECT_EQ(saved.hostname, stored.hostname);
    EXPECT_EQ(saved.hostcomments, stored.hostcomments);
    EXPECT_EQ(saved.hostpostcommand, "sudo -i\ntmux attach");

    // Unchecked, the box stores no commands.
    In::PostLogin(dialog)->SetValue(false);
    In::ClickOk(dialog);
    EXPECT_EQ(dialog->GetSite().hostpostcommand, "");
}

TEST_F(NewSiteDialogTest, KeyFileAndPuttySettingsComeFromTheSiteAndFitOnASmallScreen)
{
    // PuTTY's saved sessions are listed from PUTTYDIR (a folder of the test's own), names decoded.
    const std::string sessions = std::string(getenv("PUTTYDIR") ? getenv("PUTTYDIR") : "") + "/sessions";
    ASSERT_FALSE(sessions.empty());
    wxFileName::Mkdir(wxString::FromUTF8(sessions.c_str()), 0700, wxPATH_MKDIR_FULL);
    for (const char* file : {"Office%20proxy", "Default%20Settings", "dark"})
        std::ofstream(sessions + "/" + file) << "HostName=\\\n";
    dialog->Destroy();
    dialog = new ShellyardNewSiteDialog(nullptr, "Modify Connection");
    dialog->Show();
    SiteRecord stored;
    stored.hostip = "10.0.0.1";
    stored.hosttype = "ssh";
    stored.hostport = "22";
    stored.hostuser = "root";
    stored.keyfile = "/home/me/.ssh/db.ppk";
    stored.puttysession = "Office proxy";
    dialog->SetSite(stored);
    EXPECT_TRUE(In::AutoLogin(dialog)->IsChecked()) << "a user with a key logs in by itself";
    EXPECT_EQ(In::Key(dialog)->GetValue(), "/home/me/.ssh/db.ppk");
    EXPECT_TRUE(In::Key(dialog)->IsEnabled());
    EXPECT_TRUE(In::KeyButton(dialog)->IsEnabled());
    wxChoice* session = In::Session(dialog);
    ASSERT_EQ(session->GetCount(), 3u);
    EXPECT_EQ(session->GetString(0), "Default Settings");
    EXPECT_EQ(session->GetString(1), "Office proxy");
    EXPECT_EQ(session->GetString(2), "dark");
    EXPECT_EQ(session->GetStringSelection(), "Office proxy");

    // The dialog with its new rows still fits a 1024x768 screen.
    EXPECT_LE(dialog->GetSize().y, 740);
    EXPECT_LE(dialog->GetSize().x, 1024);

    session->SetSelection(0);
    In::Type(In::Key(dialog), "/keys/other.ppk");
    In::ClickOk(dialog);
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dialog->GetSite().keyfile, "/keys/other.ppk");
    EXPECT_EQ(dialog->GetSite().puttysession, "") << "Default Settings is stored as none";

    // A session deleted since stays visible and chosen.
    stored.puttysession = "gone";
    dialog->SetSite(stored);
    EXPECT_EQ(session->GetStringSelection(), "gone");
}
