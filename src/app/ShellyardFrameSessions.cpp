// Terminal sessions of the main window: locating PuTTY and PLink, connecting the current site in a
// terminal tab, typing into every tab, PuTTY's own configuration window and closing tabs.
#include "app/ShellyardFrame.h"

#include "app/AppConfig.h"
#include "resources/Pictures.h"
#include "session/PendingEvents.h"
#include "session/ShellyardConnPanel.h"
#include "session/TerminalArguments.h"
#include "session/TerminalProcess.h"
#include "session/TerminalWindow.h"
#include "storage/SiteStore.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/filename.h>
#include <wx/stopwatch.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>
#include <wx/weakref.h>

namespace {
// The default location of a terminal program: found on PATH, else beside the settings file.
wxString DefaultProgramLocation(const wxString& name)
{
#ifdef __WXMSW__
    return AppConfig::ProgramFile(name + ".exe");
#else
    wxPathList path;
    path.AddEnvList("PATH");
    wxString found = path.FindAbsoluteValidPath(name);
    return found.empty() ? AppConfig::ProgramFile(name) : found;
#endif
}

std::string Utf8(const wxString& text)
{
    return std::string(text.utf8_str());
}

// Keeps our windows disabled while a connection runs. Connections that follow each other straight
// away (connecting all sites) keep them disabled in between: enabling and disabling every window
// anew makes the toolkit restyle and repaint the whole frame each time, which holds up the events
// longer than any step of a connection. Done is called once the application handles events again.
class ConnectingDisabler {
public:
    ConnectingDisabler()
    {
        if (users++ == 0 && !held)
            held = new wxWindowDisabler();
    }
    ~ConnectingDisabler() { --users; }
    // Enables the windows unless another connection has started meanwhile.
    static void Done()
    {
        if (users == 0) {
            delete held;
            held = nullptr;
        }
    }

private:
    static int users;
    static wxWindowDisabler* held;
};

int ConnectingDisabler::users = 0;
wxWindowDisabler* ConnectingDisabler::held = nullptr;

// Handles what the application has pending, between the steps of a connection.
void KeepEventsFlowing()
{
    HandlePendingEvents();
}

void ShowPuttyFailure()
{
    wxMessageBox(_("Failed to start Putty.exe. Please check and re-configure your Putty first please."), "Shellyard",
                 wxOK | wxICON_INFORMATION, nullptr);
}
}  // namespace

bool ShellyardFrame::LocateTerminalPrograms()
{
    AppConfig& config = AppConfig::Instance();
    int puttyRead = config.ReadPuttyPath(puttyPath);
    int plinkRead = config.ReadPlinkPath(plinkPath);
    if (puttyRead > 0 && plinkRead > 0 && !puttyPath.empty() && !plinkPath.empty())
        return true;

    puttyPath = DefaultProgramLocation("putty");
    plinkPath = DefaultProgramLocation("plink");
    config.WritePuttyPath(puttyPath);
    config.WritePlinkPath(plinkPath);
    return true;
}

void ShellyardFrame::ConnectSite()
{
    // Events keep flowing while PuTTY starts, so the connection works on its own copy of the site.
    const wxString name = siteName;
    const wxString host = siteHost;
    const wxString protocol = siteProtocol;
    const wxString port = sitePort;

    // The login always comes fresh from the database; without a stored row there is no auto-login.
    std::unique_ptr<SiteRecord> record = siteStore ? siteStore->FindSite(host, name) : nullptr;
    siteUser = record ? record->hostuser : wxString();
    sitePassword = record ? record->hostpasswd : wxString();
    const wxString user = siteUser;
    const wxString password = sitePassword;

    LocateTerminalPrograms();
    TerminalArguments arguments = TerminalArguments::ForPutty(Utf8(puttyPath), Utf8(protocol), Utf8(host),
                                                              Utf8(port), Utf8(user), Utf8(password));
    wxLogMessage("Connecting %s: %s", name, wxString::FromUTF8(arguments.ForLog().c_str()));

    TerminalProcess* process = nullptr;
    ShellyardConnPanel* page = nullptr;
    TerminalWindow::EmbedResult embedded = TerminalWindow::EmbedResult::Failed;
    {
        // From the start of PuTTY to its terminal shown in a tab our windows stay disabled, so that
        // no click starts another command; events are handled between the steps, each of which
        // takes a while on a busy display.
        ConnectingDisabler disabler;
        process = TerminalProcess::Start(arguments);
        NativeWindow window = process ? process->WaitForWindow() : 0;

        if (window) {
            KeepEventsFlowing();
            page = new ShellyardConnPanel(notebook);
            notebook->AddPage(page, name, false, PictureBitmap("tree2"));
            page->SetTerminalProcess(process);
            KeepEventsFlowing();
            embedded = page->EmbedTerminal(window);
            if (embedded == TerminalWindow::EmbedResult::Failed) {
                notebook->DeletePage(notebook->GetPageIndex(page));  // the tab ends its process
                page = nullptr;
            } else {
                KeepEventsFlowing();
                int index = notebook->GetPageIndex(page);
                if (index != wxNOT_FOUND)
                    notebook->SetSelection(index);
                KeepEventsFlowing();
                auiManager.Update();
                KeepEventsFlowing();
            }
        } else if (process) {
            wxLogMessage("PuTTY (process %ld) %s", process->Pid(),
                         process->HasExited() ? "exited without showing a window" : "showed no window in time");
            process->Release(std::chrono::milliseconds(0));
        } else {
            wxLogMessage("PuTTY could not be started from \"%s\"", puttyPath);
        }
    }

    if (!page || embedded == TerminalWindow::EmbedResult::EmbeddedWithoutMenu)
        ConnectingDisabler::Done();  // the messages below need the windows usable
    if (!page) {
        ShowPuttyFailure();
        wxCommandEvent options;
        OnOptions(options);
        auiManager.Update();
        return;
    }
    if (embedded == TerminalWindow::EmbedResult::EmbeddedWithoutMenu)
        wxMessageBox(_("Failed to start Putty.exe!"), wxMessageBoxCaptionStr, wxOK | wxCENTRE, nullptr);
    // Once events flow again the windows are enabled and the user, who connected to work in the
    // new terminal, has it take the keys.
    wxWeakRef<ShellyardConnPanel> connected(page);
    wxTheApp->CallAfter([connected] {
        ConnectingDisabler::Done();
        if (connected)
            connected->FocusTerminal();
    });
}

void ShellyardFrame::QuickConnect(wxString host, wxString protocol)
{
    siteHost = host;
    siteProtocol = protocol;
    siteName = host;
    // Quick Login has no port field: the protocol's own port is used.
    sitePort = protocol == "telnet" ? "23" : "22";
    ConnectSite();
}

void ShellyardFrame::SendToAllSessions(wxString text)
{
    const std::string script = Utf8(text + "{ENTER}");
    const size_t count = notebook->GetPageCount();
    const int selected = notebook->GetSelection();
    bool typed = false;
    // Activating the first terminal raises this window; a window manager would then hand the focus
    // to the frame after the terminal took it, and the first session's keys would go astray. So the
    // frame is made the active window first.
    if (!IsActive()) {
        Raise();
        wxStopWatch waited;
        while (!IsActive() && waited.Time() < 1000) {
            HandlePendingEvents(wxEVT_CATEGORY_UI | wxEVT_CATEGORY_TIMER);
            wxMilliSleep(5);
        }
    }
    for (size_t i = 0; i < count && i < notebook->GetPageCount(); ++i) {
        auto* page = dynamic_cast<ShellyardConnPanel*>(notebook->GetPage(i));
        // A session whose PuTTY has gone has no window to take the keys; they would land in
        // whichever window held the focus before.
        if (!page || !page->HasLiveTerminal())
            continue;
        // Only a window on screen can take the keyboard focus: its tab comes to the front first.
        notebook->SetSelection(i);
        if (!page->WaitUntilTerminalShown())
            continue;
        ActivateWindow(*keyPlatform, page->GetTerminalWindow());
        keySender.SendKeys(script, false);
        typed = true;
    }
    if (!typed)
        return;
    if (selected != wxNOT_FOUND && static_cast<size_t>(selected) < notebook->GetPageCount())
        notebook->SetSelection(selected);
    // The keys go back to where the user typed the command.
    TerminalWindow::Focus(TerminalWindow::FromToolkitHandle(GetHandle()));
}

void ShellyardFrame::OnPuttyConfiguration(wxCommandEvent& event)
{
    TerminalProcess* process = TerminalProcess::Start(TerminalArguments::ForPuttyConfiguration(Utf8(puttyPath)));
    if (!process) {
        ShowPuttyFailure();
        return;
    }
    process->EndWith(this);
}

void ShellyardFrame::OnPageClose(wxAuiNotebookEvent& event)
{
    if (wxMessageBox(_("Are you sure you want to stop loggin and close this site?"), "Shellyard", wxYES_NO,
                     this) != wxYES)
        event.Veto();
}
