// The options dialog driven under Xvfb: its pages and texts, browsing through the file chooser,
// what Apply writes to the settings file, and starting PuTTY alone from the configuration button.
#include "support/FrameFixture.h"
#include "support/GuiTest.h"

#include "app/AppConfig.h"
#include "dialogs/ShellyardOptionDialog.h"
#include "session/TerminalProcess.h"

#include <wx/aui/auibook.h>
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
    static const wxString& PuttyLocation(D* d) { return d->puttyLocation; }
    static const wxString& PlinkLocation(D* d) { return d->plinkLocation; }

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
        std::string path = root + "/" + name;
        WriteFile(path, "#!/bin/sh\n" + body + "\n");
        chmod(path.c_str(), 0755);
        return path;
    }

    ShellyardOptionDialog* dialog = nullptr;
};
}  // namespace

TEST_F(OptionDialogTest, OpensOnTheEmptyGeneralPageWithThePluginsPageBehind)
{
    EXPECT_EQ(dialog->GetTitle(), "Shellyard Options");
    EXPECT_EQ(dialog->GetSize(), wxSize(552, 444));
    wxAuiNotebook* notebook = Inspect::Notebook(dialog);
    ASSERT_EQ(notebook->GetPageCount(), 2u);
    EXPECT_EQ(notebook->GetPageText(0), "General");
    EXPECT_EQ(notebook->GetPageText(1), "Plugins");
    EXPECT_EQ(notebook->GetSelection(), 0);
    EXPECT_EQ(notebook->GetPage(0), Inspect::GeneralPage(dialog));
    EXPECT_TRUE(Inspect::GeneralPage(dialog)->GetChildren().empty());
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
    const wxString& (*location)(ShellyardOptionDialog*);
    const char* key;
};
const Program kPrograms[] = {
    {"putty", "Choose a PuTTY file", "PuTTY files (putty)|putty", Inspect::PuttyBrowse, Inspect::PuttyText,
     Inspect::PuttyLocation, "/SHELLYARD/PLUGIN/PUTTY"},
    {"plink", "Choose a PLink file", "PuTTY files (plink)|plink", Inspect::PlinkBrowse, Inspect::PlinkText,
     Inspect::PlinkLocation, "/SHELLYARD/PLUGIN/PLINK"},
};
}  // namespace

TEST_F(OptionDialogTest, BrowsingShowsExactlyTheChosenFileAndApplyWritesBothKeys)
{
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(program.name);
        dialog->SetPuttyLocation("/old/putty");
        dialog->SetPlinkLocation("/old/plink");
        // A folder with blanks and shell characters must come through untouched.
        std::string folder = root + "/my tools $(x) 'q'";
        fs::create_directories(folder);
        std::string chosen = folder + "/" + program.name;
        WriteFile(chosen, "");

        ExpectChooser(program.message, program.filter, chosen, wxID_OK);
        Inspect::Click(program.browse(dialog));
        ModalScript::Get().Verify();
        EXPECT_EQ(program.field(dialog)->GetValue().ToStdString(), chosen);
        EXPECT_EQ(program.location(dialog).ToStdString(), chosen);

        Inspect::Click(Inspect::Apply(dialog));
        for (const Program& other : kPrograms) {
            std::string expected = &other == &program ? chosen : std::string("/old/") + other.name;
            EXPECT_EQ(ReadKey(other.key).ToStdString(), expected) << other.key;
        }
    }
}

TEST_F(OptionDialogTest, ApplySavesTheHeldLocationsNotHandEditsAndMayBePressedAgain)
{
    dialog->SetPuttyLocation("/usr/bin/putty");
    dialog->SetPlinkLocation("");
    Inspect::PuttyText(dialog)->SetValue("/typed/by/hand/putty");
    Inspect::PlinkText(dialog)->SetValue("/typed/by/hand/plink");
    Inspect::Click(Inspect::Apply(dialog));
    EXPECT_EQ(ReadKey("/SHELLYARD/PLUGIN/PUTTY"), "/usr/bin/putty");
    // Apply does no checking: an empty location is written as it is.
    EXPECT_EQ(ReadKey("/SHELLYARD/PLUGIN/PLINK"), "");
    EXPECT_EQ(Inspect::PuttyText(dialog)->GetValue(), "/typed/by/hand/putty");

    // A second press writes again (a file changed by someone else in between is overwritten).
    WriteFile(SettingsPath(), "[SHELLYARD]\nLANGUAGE=eng\n[SHELLYARD/PLUGIN]\nPUTTY=/elsewhere\nPLINK=/elsewhere\n");
    Inspect::Click(Inspect::Apply(dialog));
    EXPECT_EQ(ReadKey("/SHELLYARD/PLUGIN/PUTTY"), "/usr/bin/putty");
    EXPECT_EQ(ReadKey("/SHELLYARD/PLUGIN/PLINK"), "");
    EXPECT_EQ(ReadKey("/SHELLYARD/LANGUAGE"), "eng");
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
        EXPECT_EQ(program.location(dialog), wxString("/old/") + program.name);

        std::string chosen = root + "/" + program.name;
        WriteFile(chosen, "");
        ExpectChooser(program.message, program.filter, chosen, wxID_OK);
        Inspect::Click(program.browse(dialog));
        ModalScript::Get().Verify();
        EXPECT_EQ(program.location(dialog).ToStdString(), chosen);
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
        EXPECT_EQ(Inspect::PuttyLocation(dialog), c.location);
    }
}

TEST_F(OptionDialogTest, ConfigurationButtonStartsTheHeldLocationAloneAndReapsIt)
{
    // The held location, not the field, is started: with no arguments, the full environment and
    // the X11 backend; blanks and shell characters in the path are harmless.
    fs::create_directories(root + "/tools $(x)");
    std::string marker = root + "/marker";
    std::string location = root + "/tools $(x)/fake putty";
    WriteFile(location, "#!/bin/sh\necho \"$#|$GDK_BACKEND|$SHELLYARD_TEST_MARK|$$\" > '" + marker +
                            ".tmp'\nmv '" + marker + ".tmp' '" + marker + "'\nexec sleep 60\n");
    chmod(location.c_str(), 0755);
    setenv("SHELLYARD_TEST_MARK", "inherited", 1);
    setenv("GDK_BACKEND", "wayland", 1);
    dialog->SetPuttyLocation(location);
    Inspect::PuttyText(dialog)->SetValue("/bin/false");

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
    unsetenv("PUTTYDIR");
    EXPECT_TRUE(shown) << "no PuTTY configuration window appeared";
    if (!windows.empty()) {
        std::string window = windows.substr(0, windows.find('\n'));
        EXPECT_NE(RunCommand("xprop -id " + window + " WM_NAME").find("PuTTY Configuration"), std::string::npos);
    }
    ASSERT_GT(pid, 0);
    kill(pid, SIGTERM);
    EXPECT_TRUE(WaitFor([&] { return ProcessGone(pid); }));
}

// The frame's Tool > Options opens the dialog with the frame's current locations.
class OptionsFromFrameTest : public FrameFixture {};

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
        EXPECT_EQ(Inspect::PuttyLocation(d), FrameProbe::PuttyPath(frame));
        EXPECT_EQ(Inspect::PlinkLocation(d), FrameProbe::PlinkPath(frame));
        EXPECT_EQ(Inspect::PuttyText(d)->GetValue(), "/opt/my putty/putty");
        EXPECT_EQ(Inspect::PlinkText(d)->GetValue(), "/opt/plink");
        checked = true;
        return wxID_CANCEL;
    });
    FrameProbe::Command(frame, FrameProbe::OptionsId(frame));
    EXPECT_TRUE(checked);
}
