// The options dialog driven under Xvfb: its pages and texts, browsing through the file chooser,
// what Apply writes to the settings file and what it refuses, starting PuTTY alone from the
// configuration button, and the dialog as the main window opens it, after a failed start too.
#include "support/FrameFixture.h"
#include "support/GuiTest.h"
#include "support/ShellCommand.h"

#include "app/AppConfig.h"
#include "dialogs/ShellyardOptionDialog.h"
#include "session/TerminalProcess.h"

#include <wx/aui/auibook.h>
#include <wx/choice.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/fileconf.h>
#include <wx/hyperlink.h>
#include <wx/listbox.h>
#include <wx/settings.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

struct OptionDialogProbe {
    using D = ShellyardOptionDialog;
    static wxAuiNotebook* Notebook(D* d) { return d->optionsNotebook; }
    static wxPanel* GeneralPage(D* d) { return d->generalPage; }
    static wxChoice* ReopenChoice(D* d) { return d->reopenChoice; }
    static wxPanel* PluginsPage(D* d) { return d->pluginsPage; }
    static wxListBox* PluginList(D* d) { return d->pluginList; }
    static wxTextCtrl* Description(D* d) { return d->pluginDescription; }
    static wxHyperlinkCtrl* DownloadLink(D* d) { return d->downloadLink; }
    static wxPanel* LocationPanel(D* d) { return d->locationPanel; }
    static wxStaticText* PuttyLabel(D* d) { return d->puttyLocationLabel; }
    static wxStaticText* PlinkLabel(D* d) { return d->plinkLocationLabel; }
    static wxStaticText* ConfigLabel(D* d) { return d->puttyConfigLabel; }
    static wxTextCtrl* PuttyText(D* d) { return d->puttyLocationText; }
    static wxTextCtrl* PlinkText(D* d) { return d->plinkLocationText; }
    static wxBitmapButton* PuttyBrowse(D* d) { return d->puttyBrowseButton; }
    static wxBitmapButton* PlinkBrowse(D* d) { return d->plinkBrowseButton; }
    static wxBitmapButton* ConfigButton(D* d) { return d->puttyConfigButton; }
    static wxButton* Apply(D* d) { return d->applyButton; }

    // Presses a button as a click does: through the event system, so the connections count too.
    static void Click(wxButton* button)
    {
        wxCommandEvent event(wxEVT_COMMAND_BUTTON_CLICKED, button->GetId());
        event.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(event);
    }
};

namespace {
using Inspect = OptionDialogProbe;
namespace fs = std::filesystem;

const char* const kFailure = "Failed to start Putty.exe. Please check and re-configure your Putty first please.";

// Expects the start-failure box: exact text and caption, OK with the information icon, no parent.
void ExpectStartFailure()
{
    ModalScript::Get().ExpectDialog<wxMessageDialog>("start failure message", [](wxMessageDialog* box) {
        EXPECT_EQ(box->GetMessage().ToStdString(), kFailure);
        EXPECT_EQ(box->GetCaption().ToStdString(), "Shellyard");
        long style = box->GetMessageDialogStyle();
        EXPECT_EQ(style & (wxOK | wxICON_INFORMATION), wxOK | wxICON_INFORMATION);
        EXPECT_FALSE(style & (wxYES_NO | wxCANCEL));
        EXPECT_EQ(box->GetParent(), nullptr);
        return wxID_OK;
    });
}

// Answers the next file chooser: checks what it asks for and confirms path (or cancels).
void ExpectChooser(const std::string& message, const std::string& filter, const wxString& path, int answer)
{
    ModalScript::Get().ExpectDialog<wxFileDialog>("file chooser \"" + message + "\"", [=](wxFileDialog* chooser) {
        EXPECT_EQ(chooser->GetMessage().ToStdString(), message);
        EXPECT_EQ(chooser->GetWildcard().ToStdString(), filter);
        EXPECT_EQ(chooser->GetDirectory(), AppConfig::ProgramDirectory());
        EXPECT_TRUE(chooser->HasFlag(wxFD_OPEN));
        if (answer == wxID_OK) {
            chooser->SetPath(path);
            // GTK's chooser selects the file once it has read the folder, in the background.
            EXPECT_TRUE(WaitFor([&] { return chooser->GetPath() == path; }, std::chrono::seconds(5)))
                << "the chooser did not take " << path;
        }
        return answer;
    });
}

bool ProcessGone(long pid)
{
    // A zombie keeps its /proc entry until it is reaped, so this is also "no zombie left".
    return !fs::exists("/proc/" + std::to_string(pid));
}

std::string RunCommand(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    return out;
}

// Child processes of the test with this command name (from /proc/<pid>/stat).
std::vector<long> ChildrenNamed(const std::string& name)
{
    std::vector<long> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string stat = ReadFile("/proc/" + pid + "/stat");
        size_t open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        long parent = 0;
        char state = 0;
        if (sscanf(stat.c_str() + close + 1, " %c %ld", &state, &parent) != 2)
            continue;
        if (parent == getpid() && stat.substr(open + 1, close - open - 1) == name)
            found.push_back(std::stol(pid));
    }
    return found;
}

class OptionDialogTest : public TempDirsTest {
protected:
    void SetUp() override
    {
        TempDirsTest::SetUp();
        dialog = new ShellyardOptionDialog(nullptr);
    }
    void TearDown() override
    {
        if (dialog)
            dialog->Destroy();
        PumpEvents();
        ModalScript::Get().Verify();
        // The settings object opened its log in this test's working directory.
        AppConfig::Shutdown();
        TempDirsTest::TearDown();
    }

    std::string SettingsPath() const { return programDir + "/shellyard.ini"; }
    wxString ReadKey(const char* key)
    {
        wxFileConfig config(wxEmptyString, wxEmptyString, SettingsPath(), wxEmptyString, wxCONFIG_USE_RELATIVE_PATH);
        wxString value = "<absent>";
        config.Read(key, &value);
        return value;
    }
    // An executable shell script in the test's folder.
    std::string Script(const std::string& name, const std::string& body)
    {
        return ScriptAt(root + "/" + name, body);
    }
    std::string ScriptAt(const std::string& path, const std::string& body)
    {
        WriteFile(path, "#!/bin/sh\n" + body + "\n");
        chmod(path.c_str(), 0755);
        return path;
    }
    // A program that answers --version with this first line, as PuTTY and PLink do.
    std::string Says(const std::string& path, const std::string& firstLine)
    {
        return ScriptAt(path, "[ \"$1\" = --version ] && echo '" + firstLine + "'\nexit 0");
    }

    ShellyardOptionDialog* dialog = nullptr;
};
}  // namespace

TEST_F(OptionDialogTest, OpensOnTheGeneralPageWithThePluginsPageBehind)
{
    EXPECT_EQ(dialog->GetTitle(), "Shellyard Options");
    EXPECT_EQ(dialog->GetSize(), wxSize(552, 444));
    wxAuiNotebook* notebook = Inspect::Notebook(dialog);
    ASSERT_EQ(notebook->GetPageCount(), 2u);
    EXPECT_EQ(notebook->GetPageText(0), "General");
    EXPECT_EQ(notebook->GetPageText(1), "Plugins");
    EXPECT_EQ(notebook->GetSelection(), 0);
    EXPECT_EQ(notebook->GetPage(0), Inspect::GeneralPage(dialog));
    // The general page: whether the last sessions are reopened, saved as it is chosen.
    wxChoice* reopen = Inspect::ReopenChoice(dialog);
    ASSERT_EQ(reopen->GetCount(), 3u);
    EXPECT_EQ(reopen->GetString(0), "Ask");
    EXPECT_EQ(reopen->GetString(1), "Always");
    EXPECT_EQ(reopen->GetString(2), "Never");
    EXPECT_EQ(reopen->GetSelection(), 0);
    reopen->SetSelection(2);
    wxCommandEvent chosen(wxEVT_COMMAND_CHOICE_SELECTED, reopen->GetId());
    chosen.SetEventObject(reopen);
    reopen->GetEventHandler()->ProcessEvent(chosen);
    EXPECT_NE(ReadFile(programDir + "/shellyard.ini").find("REOPEN=never"), std::string::npos)
        << ReadFile(programDir + "/shellyard.ini");
    {
        ShellyardOptionDialog again(nullptr);
        EXPECT_EQ(Inspect::ReopenChoice(&again)->GetSelection(), 2);
    }
    EXPECT_EQ(notebook->GetPage(1), Inspect::PluginsPage(dialog));

    // The dialog is centred on the screen.
    dialog->Show();
    wxRect screen(wxPoint(0, 0), wxGetDisplaySize());
    wxPoint centre = dialog->GetScreenRect().GetPosition() + dialog->GetSize() / 2;
    EXPECT_NEAR(centre.x, screen.width / 2, 40);
    EXPECT_NEAR(centre.y, screen.height / 2, 40);
}

TEST_F(OptionDialogTest, PluginsPageShowsItsTextsAndPictures)
{
    wxListBox* list = Inspect::PluginList(dialog);
    ASSERT_EQ(list->GetCount(), 2u);
    EXPECT_EQ(list->GetString(0), "PuTTY");
    EXPECT_EQ(list->GetString(1), "PLink");
    EXPECT_EQ(list->GetSelection(), wxNOT_FOUND);

    // The description names the PuTTY version it was written for and sends the reader to the
    // download page, whose address is both the link's label and its target.
    wxString description = Inspect::Description(dialog)->GetValue();
    EXPECT_NE(description.Find("PuTTY 0.78"), wxNOT_FOUND) << description;
    EXPECT_NE(description.Find("download"), wxNOT_FOUND) << description;
    EXPECT_FALSE(Inspect::Description(dialog)->IsEditable());
    // Drawn in the active-caption colour, but never so pale that it cannot be read on the field.
    wxColour text = Inspect::Description(dialog)->GetForegroundColour();
    wxColour field = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW);
    auto luminance = [](const wxColour& c) { return 0.2126 * c.Red() + 0.7152 * c.Green() + 0.0722 * c.Blue(); };
    EXPECT_GT(std::abs(luminance(text) - luminance(field)), 100.0)
        << text.GetAsString(wxC2S_HTML_SYNTAX) << " on " << field.GetAsString(wxC2S_HTML_SYNTAX);
    wxHyperlinkCtrl* link = Inspect::DownloadLink(dialog);
    EXPECT_TRUE(link->GetURL().StartsWith("https://www.chiark.greenend.org.uk/~sgtatham/putty/")) << link->GetURL();
    EXPECT_EQ(link->GetLabel(), link->GetURL());

    EXPECT_EQ(Inspect::LocationPanel(dialog)->GetToolTipText(), "Download newly PuTTY Here.");
    EXPECT_EQ(Inspect::PuttyLabel(dialog)->GetLabel(), "PuTTY Location:");
    EXPECT_EQ(Inspect::PlinkLabel(dialog)->GetLabel(), "PLink   Location:");
    EXPECT_EQ(Inspect::ConfigLabel(dialog)->GetLabel(), "PuTTY Configuration:");
    EXPECT_TRUE(Inspect::PuttyText(dialog)->IsEmpty());
    EXPECT_TRUE(Inspect::PlinkText(dialog)->IsEmpty());
    EXPECT_EQ(Inspect::Apply(dialog)->GetId(), wxID_APPLY);
    EXPECT_EQ(Inspect::Apply(dialog)->GetLabel(), "&Apply");
    for (wxBitmapButton* button :
         {Inspect::PuttyBrowse(dialog), Inspect::PlinkBrowse(dialog), Inspect::ConfigButton(dialog)}) {
        ASSERT_TRUE(button->GetBitmapLabel().IsOk());
        EXPECT_EQ(button->GetBitmapLabel().GetSize(), wxSize(16, 16));
    }

    // Everything fits on the page at the dialog's size: nothing is pushed out or squeezed away.
    Inspect::Notebook(dialog)->SetSelection(1);
    dialog->Show();
    WaitFor([&] { return Inspect::Apply(dialog)->IsShownOnScreen(); }, std::chrono::seconds(5));
    wxRect page = Inspect::PluginsPage(dialog)->GetScreenRect();
    for (wxWindow* window : std::initializer_list<wxWindow*>{
             Inspect::PluginList(dialog), Inspect::Description(dialog), Inspect::DownloadLink(dialog),
             Inspect::PuttyText(dialog), Inspect::PlinkBrowse(dialog), Inspect::ConfigButton(dialog),
             Inspect::Apply(dialog)}) {
        wxRect rect = window->GetScreenRect();
        EXPECT_TRUE(page.Contains(rect)) << window->GetClassInfo()->GetClassName();
        EXPECT_GT(rect.width, 10);
        EXPECT_GT(rect.height, 10);
    }
}

namespace {
struct Program {
    const char* name;
    const char* message;
    const char* filter;
    wxBitmapButton* (*browse)(ShellyardOptionDialog*);
    wxTextCtrl* (*field)(ShellyardOptionDialog*);
    const char* key;
    const char* says;  // the first line of its --version
};
const Program kPrograms[] = {
    {"putty", "Choose a PuTTY file", "PuTTY files (putty)|putty", Inspect::PuttyBrowse, Inspect::PuttyText,
     "/SHELLYARD/PLUGIN/PUTTY", "PuTTY: Release 0.78"},
    {"plink", "Choose a PLink file", "PuTTY files (plink)|plink", Inspect::PlinkBrowse, Inspect::PlinkText,
     "/SHELLYARD/PLUGIN/PLINK", "plink: Release 0.78"},
};
}  // namespace

TEST_F(OptionDialogTest, BrowsingShowsExactlyTheChosenFileAndApplyWritesBothKeys)
{
    fs::create_directories(root + "/old");
    const std::string oldPutty = Says(root + "/old/putty", kPrograms[0].says);
    const std::string oldPlink = Says(root + "/old/plink", kPrograms[1].says);
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(program.name);
        dialog->SetPuttyLocation(oldPutty);
        dialog->SetPlinkLocation(oldPlink);
        // A folder with blanks and shell characters must come through untouched.
        std::string folder = root + "/my tools $(x) 'q'";
        fs::create_directories(folder);
        std::string chosen = Says(folder + "/" + program.name, program.says);

        ExpectChooser(program.message, program.filter, chosen, wxID_OK);
        Inspect::Click(program.browse(dialog));
        ModalScript::Get().Verify();
        EXPECT_EQ(program.field(dialog)->GetValue().ToStdString(), chosen);

        Inspect::Click(Inspect::Apply(dialog));
        for (const Program& other : kPrograms) {
            std::string expected = &other == &program ? chosen : root + "/old/" + other.name;
            EXPECT_EQ(ReadKey(other.key).ToStdString(), expected) << other.key;
        }
    }
}

// Apply saves what each field shows, typed or not. A location that names no program that can start
// is refused with a message, its key left as it was and its text kept for correcting; one that
// runs but does not call itself PuTTY (or PLink) is saved only when the user says so.
TEST_F(OptionDialogTest, ApplySavesWhatTheFieldsShowAndRefusesWhatCannotRun)
{
    fs::create_directories(programDir);
    const std::string settings = "[SHELLYARD]\nLANGUAGE=eng\n[SHELLYARD/PLUGIN]\nPUTTY=/before\nPLINK=/before\n";
    const std::string folder = root + "/a folder";
    fs::create_directories(folder);
    const std::string notExecutable = root + "/not-executable";
    WriteFile(notExecutable, "#!/bin/sh\n");
    const std::string putty = Says(root + "/putty", kPrograms[0].says);
    const std::string plink = Says(root + "/plink", kPrograms[1].says);
    const std::string pterm = Says(root + "/pterm", "pterm: Release 0.78");
    const std::string silent = Script("silent", "exit 0");

    struct Case {
        const char* what;
        std::string typed;
        std::string message;  // empty: saved without a word
        int answer;           // to a question
        bool saved;
    } cases[] = {
        {"PuTTY typed by hand", putty, "", 0, true},
        {"a name looked up on PATH", "sh", "PuTTY Location \"sh\" does not say that it is PuTTY. Save it anyway?",
         wxID_NO, false},
        {"empty", "", "PuTTY Location is empty: it was not saved.", wxID_OK, false},
        {"missing", root + "/no/putty", "PuTTY Location \"" + root + "/no/putty\" was not saved: there is no such file.",
         wxID_OK, false},
        {"missing on PATH", "no-such-putty-program",
         "PuTTY Location \"no-such-putty-program\" was not saved: there is no such file.", wxID_OK, false},
        {"folder", folder, "PuTTY Location \"" + folder + "\" was not saved: it is a folder, not a program.", wxID_OK,
         false},
        {"not executable", notExecutable,
         "PuTTY Location \"" + notExecutable + "\" was not saved: the file is not executable.", wxID_OK, false},
        {"another PuTTY program, kept", pterm,
         "PuTTY Location \"" + pterm + "\" does not say that it is PuTTY. Save it anyway?", wxID_YES, true},
        {"PLink in PuTTY's place, not kept", plink,
         "PuTTY Location \"" + plink + "\" does not say that it is PuTTY. Save it anyway?", wxID_NO, false},
        {"a program that says nothing, kept", silent,
         "PuTTY Location \"" + silent + "\" does not say that it is PuTTY. Save it anyway?", wxID_YES, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(SettingsPath(), settings);
        dialog->SetPuttyLocation("/set/before");
        dialog->SetPlinkLocation("/set/before");
        Inspect::PuttyText(dialog)->SetValue(wxString::FromUTF8(c.typed.c_str()));
        Inspect::PlinkText(dialog)->SetValue(wxString::FromUTF8(plink.c_str()));
        if (!c.message.empty()) {
            const bool question = c.answer != wxID_OK;
            ModalScript::Get().ExpectMessage(wxString::FromUTF8(c.message.c_str()), "Shellyard",
                                             question ? wxYES_NO | wxICON_QUESTION : wxOK | wxICON_WARNING, c.answer);
        }
        Inspect::Click(Inspect::Apply(dialog));
        ModalScript::Get().Verify();
        EXPECT_EQ(ReadKey("/SHELLYARD/PLUGIN/PUTTY").ToStdString(), c.saved ? c.typed : "/before");
        // The other field is saved on its own, and the rest of the file stays.
        EXPECT_EQ(ReadKey("/SHELLYARD/PLUGIN/PLINK").ToStdString(), plink);
        EXPECT_EQ(ReadKey("/SHELLYARD/LANGUAGE"), "eng");
        EXPECT_EQ(Inspect::PuttyText(dialog)->GetValue().ToStdString(), c.typed);
    }

    // The PLink field is checked as PLink, named as its own; both refused leaves the file as it was.
    WriteFile(SettingsPath(), settings);
    Inspect::PuttyText(dialog)->SetValue("");
    Inspect::PlinkText(dialog)->SetValue(wxString::FromUTF8(putty.c_str()));
    ModalScript::Get().ExpectMessage("PuTTY Location is empty: it was not saved.", "Shellyard",
                                     wxOK | wxICON_WARNING, wxID_OK);
    ModalScript::Get().ExpectMessage(
        wxString::FromUTF8(("PLink Location \"" + putty + "\" does not say that it is PLink. Save it anyway?").c_str()),
        "Shellyard", wxYES_NO | wxICON_QUESTION, wxID_NO);
    Inspect::Click(Inspect::Apply(dialog));
    ModalScript::Get().Verify();
    EXPECT_EQ(ReadFile(SettingsPath()), settings);

    // A program replaced at the same location is asked anew.
    Says(pterm, kPrograms[0].says);
    Inspect::PuttyText(dialog)->SetValue(wxString::FromUTF8(pterm.c_str()));
    Inspect::PlinkText(dialog)->SetValue(wxString::FromUTF8(plink.c_str()));
    Inspect::Click(Inspect::Apply(dialog));
    ModalScript::Get().Verify();
    EXPECT_EQ(ReadKey("/SHELLYARD/PLUGIN/PUTTY").ToStdString(), pterm);
}

TEST_F(OptionDialogTest, BrowsingWithoutApplyOrCancellingTheChooserChangesNothing)
{
    fs::create_directories(programDir);
    const std::string settings = "[SHELLYARD]\nLANGUAGE=eng\n[SHELLYARD/PLUGIN]\nPUTTY=/old/putty\nPLINK=/old/plink\n";
    WriteFile(SettingsPath(), settings);
    dialog->SetPuttyLocation("/old/putty");
    dialog->SetPlinkLocation("/old/plink");

    for (const Program& program : kPrograms) {
        SCOPED_TRACE(program.name);
        ExpectChooser(program.message, program.filter, "", wxID_CANCEL);
        Inspect::Click(program.browse(dialog));
        ModalScript::Get().Verify();
        EXPECT_EQ(program.field(dialog)->GetValue(), wxString("/old/") + program.name);

        std::string chosen = root + "/" + program.name;
        WriteFile(chosen, "");
        ExpectChooser(program.message, program.filter, chosen, wxID_OK);
        Inspect::Click(program.browse(dialog));
        ModalScript::Get().Verify();
        EXPECT_EQ(program.field(dialog)->GetValue().ToStdString(), chosen);
    }
    dialog->Destroy();
    dialog = nullptr;
    PumpEvents();
    EXPECT_EQ(ReadFile(SettingsPath()), settings);
}

TEST_F(OptionDialogTest, ConfigurationButtonReportsALocationThatCannotStart)
{
    fs::create_directories(root + "/a folder");
    WriteFile(root + "/not-executable", "#!/bin/sh\nexit 0\n");
    struct Case {
        const char* what;
        std::string location;
    } cases[] = {
        {"empty", ""},
        {"missing file", root + "/no/such/putty"},
        {"missing program on PATH", "no-such-putty-program"},
        {"folder", root + "/a folder"},
        {"file without execute permission", root + "/not-executable"},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialog->SetPuttyLocation(c.location);
        ExpectStartFailure();
        // The answer comes at once, while the user still looks at the dialog.
        Inspect::Click(Inspect::ConfigButton(dialog));
        ModalScript::Get().Verify();
        // The dialog stays open and keeps its locations.
        EXPECT_EQ(Inspect::PuttyText(dialog)->GetValue().ToStdString(), c.location);
    }
}

TEST_F(OptionDialogTest, ConfigurationButtonStartsTheFieldsLocationAloneAndReapsIt)
{
    // The location the field shows, typed, is started: with no arguments, the full environment and
    // the X11 backend; blanks and shell characters in the path are harmless.
    fs::create_directories(root + "/tools $(x)");
    std::string marker = root + "/marker";
    std::string location = root + "/tools $(x)/fake putty";
    WriteFile(location, "#!/bin/sh\necho \"$#|$GDK_BACKEND|$SHELLYARD_TEST_MARK|$$\" > '" + marker +
                            ".tmp'\nmv '" + marker + ".tmp' '" + marker + "'\nexec sleep 60\n");
    chmod(location.c_str(), 0755);
    setenv("SHELLYARD_TEST_MARK", "inherited", 1);
    setenv("GDK_BACKEND", "wayland", 1);
    dialog->SetPuttyLocation("/bin/false");
    Inspect::PuttyText(dialog)->SetValue(wxString::FromUTF8(location.c_str()));

    size_t running = TerminalProcess::RunningCount();
    Inspect::Click(Inspect::ConfigButton(dialog));
    // The user's own: not among what Shellyard ends with itself.
    EXPECT_EQ(TerminalProcess::RunningCount(), running);
    ASSERT_TRUE(WaitFor([&] { return FileExists(marker); }, std::chrono::seconds(5)));
    setenv("GDK_BACKEND", "x11", 1);
    unsetenv("SHELLYARD_TEST_MARK");
    std::string line = ReadFile(marker);
    long pid = std::stol(line.substr(line.rfind('|') + 1));
    EXPECT_EQ(line.substr(0, line.rfind('|')), "0|x11|inherited");
    EXPECT_EQ(getsid(pid), pid) << "a session of its own";

    // Ending it from outside is no start failure: no message, and the process is reaped.
    kill(pid, SIGTERM);
    EXPECT_TRUE(WaitFor([&] { return ProcessGone(pid); }));
    EXPECT_TRUE(WaitFor([&] { return TerminalProcess::RunningCount() == running; }));

    // A program that ends normally at once is reaped too and reports nothing.
    dialog->SetPuttyLocation(Script("quick", "exit 0"));
    Inspect::Click(Inspect::ConfigButton(dialog));
    EXPECT_TRUE(WaitFor([] { return ChildrenNamed("quick").empty(); }));
}

TEST_F(OptionDialogTest, ConfigurationButtonOpensPuttysConfigurationWindow)
{
    if (!FileExists("/usr/bin/putty"))
        GTEST_SKIP() << "PuTTY is not installed";
    std::string puttyDir = root + "/putty-settings";
    fs::create_directories(puttyDir);
    // PuTTY's settings of the test server's run (its known host keys) come back afterwards.
    const std::string serverPuttyDir = Env("PUTTYDIR");
    setenv("PUTTYDIR", puttyDir.c_str(), 1);
    dialog->SetPuttyLocation("/usr/bin/putty");
    dialog->Show();

    Inspect::Click(Inspect::ConfigButton(dialog));
    long pid = 0;
    std::string windows;
    bool shown = WaitFor(
        [&] {
            std::vector<long> children = ChildrenNamed("putty");
            if (children.size() != 1)
                return false;
            pid = children.front();
            windows = RunCommand("xdotool search --onlyvisible --pid " + std::to_string(pid) + " --class putty 2>/dev/null");
            return !windows.empty();
        },
        std::chrono::seconds(10));
    if (serverPuttyDir.empty())
        unsetenv("PUTTYDIR");
    else
        setenv("PUTTYDIR", serverPuttyDir.c_str(), 1);
    EXPECT_TRUE(shown) << "no PuTTY configuration window appeared";
    if (!windows.empty()) {
        std::string window = windows.substr(0, windows.find('\n'));
        EXPECT_NE(RunCommand("xprop -id " + window + " WM_NAME").find("PuTTY Configuration"), std::string::npos);
    }
    ASSERT_GT(pid, 0);
    kill(pid, SIGTERM);
    EXPECT_TRUE(WaitFor([&] { return ProcessGone(pid); }));
}

// The frame opens the dialog with its current locations: from Tool > Options, and after a failed
// start.
class OptionsFromFrameTest : public FrameFixture {
protected:
    void TearDown() override
    {
        DestroyFrame();
        FrameFixture::TearDown();
    }
    wxString ReadKey(const char* key)
    {
        wxFileConfig config(wxEmptyString, wxEmptyString, programDir + "/shellyard.ini", wxEmptyString,
                            wxCONFIG_USE_RELATIVE_PATH);
        return config.Read(key, "<absent>");
    }
};

TEST_F(OptionsFromFrameTest, ToolOptionsOpensTheDialogWithTheFramesLocations)
{
    CreateDatabase();
    fs::create_directories(programDir);
    WriteFile(programDir + "/shellyard.ini",
              "[SHELLYARD]\nLANGUAGE=eng\n[SHELLYARD/PLUGIN]\nPUTTY=/opt/my putty/putty\nPLINK=/opt/plink\n");
    CreateFrame();
    ASSERT_TRUE(frame);
    ASSERT_EQ(FrameProbe::PuttyPath(frame), "/opt/my putty/putty");

    bool checked = false;
    ModalScript::Get().ExpectDialog<ShellyardOptionDialog>("options dialog", [&](ShellyardOptionDialog* d) {
        EXPECT_EQ(d->GetTitle(), "Shellyard Options");
        EXPECT_EQ(d->GetParent(), frame.get());
        EXPECT_EQ(Inspect::PuttyText(d)->GetValue(), "/opt/my putty/putty");
        EXPECT_EQ(Inspect::PlinkText(d)->GetValue(), "/opt/plink");
        EXPECT_EQ(Inspect::Notebook(d)->GetSelection(), 0);
        checked = true;
        return wxID_CANCEL;
    });
    FrameProbe::Command(frame, FrameProbe::OptionsId(frame));
    EXPECT_TRUE(checked);
}

// As a new user meets it: PuTTY is not where the settings file says. The failed start opens the
// options on the page with the locations; a wrong location typed there is refused, the right one is
// saved, and the site then connects and logs in.
TEST_F(OptionsFromFrameTest, AfterAFailedStartTheTypedLocationIsCheckedSavedAndUsed)
{
    const std::string port = Env("SHELLYARD_TEST_SSH_PORT"), user = Env("SHELLYARD_TEST_SSH_USER");
    if (port.empty())
        GTEST_SKIP() << "needs the test SSH server: run through tests/support/with-sshd.sh";
    CreateDatabase({{Env("SHELLYARD_TEST_SSH_PASSWORD"), user, "ssh", "127.0.0.1", "server", port}});
    const std::string missing = root + "/no such folder/putty";
    WriteFile(programDir + "/shellyard.ini",
              "[SHELLYARD]\nLANGUAGE=eng\n[SHELLYARD/PLUGIN]\nPUTTY=" + missing + "\nPLINK=/usr/bin/plink\n");
    CreateFrame();
    const SiteRecord server = FrameProbe::Record({"server", "127.0.0.1", "ssh", "", "", wxString(port)});

    ModalScript::Get().ExpectMessage(kFailure, "Shellyard", wxOK | wxICON_INFORMATION, wxID_OK);
    ModalScript::Get().ExpectDialog<ShellyardOptionDialog>("options dialog", [&](ShellyardOptionDialog* d) {
        EXPECT_EQ(Inspect::Notebook(d)->GetCurrentPage(), Inspect::PluginsPage(d));
        EXPECT_EQ(Inspect::PuttyText(d)->GetValue().ToStdString(), missing);
        Inspect::PuttyText(d)->SetValue("/usr/bin");
        ModalScript::Get().ExpectMessage("PuTTY Location \"/usr/bin\" was not saved: it is a folder, not a program.",
                                         "Shellyard", wxOK | wxICON_WARNING, wxID_OK);
        Inspect::Click(Inspect::Apply(d));
        EXPECT_EQ(ReadKey("/SHELLYARD/PLUGIN/PUTTY").ToStdString(), missing);
        EXPECT_EQ(Inspect::PuttyText(d)->GetValue(), "/usr/bin");
        EXPECT_EQ(d->FindFocus(), Inspect::PuttyText(d));

        Inspect::PuttyText(d)->SetValue("/usr/bin/putty");
        Inspect::Click(Inspect::Apply(d));
        EXPECT_EQ(ReadKey("/SHELLYARD/PLUGIN/PUTTY"), "/usr/bin/putty");
        EXPECT_EQ(ReadKey("/SHELLYARD/PLUGIN/PLINK"), "/usr/bin/plink");
        return wxID_CANCEL;
    });
    frame->ConnectSite(server);
    ASSERT_TRUE(ConnectionsDone());
    ModalScript::Get().Verify();
    EXPECT_EQ(FrameProbe::PuttyPath(frame), "/usr/bin/putty");

    frame->ConnectSite(server);
    ASSERT_TRUE(ConnectionsDone());
    EXPECT_EQ(FrameProbe::Notebook(frame)->GetPageCount(), 1u);
    EXPECT_TRUE(WaitFor([&] { return LoginShellsOf(user) == 1; }, std::chrono::seconds(15)))
        << "the site did not log in; the log:\n" << ReadFile(workDir + "/Shellyard.txt");
}
