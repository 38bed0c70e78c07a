// Terminal sessions of the main window: locating PuTTY and PLink, connecting the current site in a
// terminal tab, typing into every tab, PuTTY's own configuration window and closing tabs.
#include "app/ShellyardFrame.h"

#include "app/AppConfig.h"
#include "resources/Pictures.h"
#include "session/PendingEvents.h"
#include "session/ShellyardConnPanel.h"
#include "session/SiteValueCheck.h"
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
    // Enables the windows unless another connection has started meanwhile; false in that case.
    static bool Done()
    {
        if (users > 0)
            return false;
        delete held;
        held = nullptr;
        return true;
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
    const long long rowid = siteRowid;

    // The login always comes fresh from the database; without a stored row there is no auto-login.
    std::unique_ptr<SiteRecord> record = FindCurrentSite(rowid, host, name);
    siteUser = record ? record->hostuser : wxString();
    sitePassword = record ? record->hostpasswd : wxString();
    if (!SiteValuesAreSafe(name, protocol, host, port, siteUser, sitePassword))
        return;

    LocateTerminalPrograms();
    TerminalArguments arguments = TerminalArguments::ForPutty(Utf8(puttyPath), Utf8(protocol), Utf8(host),
                                                              Utf8(port), Utf8(siteUser), Utf8(sitePassword));
    wxLogMessage("Connecting %s: %s", name, wxString::FromUTF8(arguments.ForLog().c_str()));
    TerminalProcess* process = TerminalProcess::Start(arguments);
    if (!process) {
        wxLogMessage("PuTTY could not be started from \"%s\"", puttyPath);
        ConnectingDisabler::Done();  // the messages need the windows usable
        ShowConnectionFailure();
        return;
    }

    wxWeakRef<ShellyardConnPanel> page;
    TerminalWindow::EmbedResult embedded = TerminalWindow::EmbedResult::Failed;
    {
        // From here to the terminal shown in its tab our windows stay disabled, so that no click
        // starts another command; events are handled between the steps. PuTTY is on its way
        // meanwhile: the tab is made and brought to the front while it starts, and the terminal
        // shows in place the moment it is there.
        ConnectingDisabler disabler;
        KeepEventsFlowing();
        page = new ShellyardConnPanel(notebook);
        page->SetTerminalProcess(process);  // from now on the tab holds the process
        KeepEventsFlowing();
        // Frozen, the notebook draws its tab row once events flow, not inside the insertion: with
        // dozens of tabs that drawing alone would hold up events for long.
        notebook->Freeze();
        notebook->AddPage(page, name, true, PictureBitmap("tree2"));
        notebook->Thaw();
        // The tab row learns whether its tabs overflow when it draws; then it can scroll to the new
        // tab. That drawing comes after the insertion, as a step of its own.
        KeepEventsFlowing();
        wxAuiTabCtrl* tabs = nullptr;
        int tab = 0;
        if (page && notebook->FindTab(page, &tabs, &tab)) {
            tabs->Update();
            tabs->MakeTabVisible(tab, tabs);
        }

        NativeWindow window = 0;
        TerminalWindow::NewWindowWatch newWindows;
        for (;;) {
            KeepEventsFlowing();
            process = page ? page->GetTerminalProcess() : nullptr;
            if (!process) {
                wxLogMessage("The tab of %s was closed before its terminal showed", name);
                break;
            }
            if ((window = process->LookForWindow()) != 0)
                break;
            if (process->GaveUpOnWindow()) {
                wxLogMessage("PuTTY (process %ld) %s", process->Pid(),
                             process->HasExited() ? "exited without showing a window" : "showed no window in time");
                break;
            }
            newWindows.Wait(std::chrono::milliseconds(10));
        }
        if (window)
            embedded = page->EmbedTerminal(window);
        if (embedded == TerminalWindow::EmbedResult::Failed && page) {
            // No terminal: the tab goes, and its process with it at once.
            if (window)
                wxLogMessage("The terminal window of %s could not be embedded", name);
            process = page->GetTerminalProcess();
            page->SetTerminalProcess(nullptr);
            notebook->DeletePage(notebook->GetPageIndex(page));
            if (process)
                process->Release(std::chrono::milliseconds(0));
        }
    }

    if (embedded != TerminalWindow::EmbedResult::Embedded)
        ConnectingDisabler::Done();  // the messages below need the windows usable
    if (embedded == TerminalWindow::EmbedResult::Failed) {
        ShowConnectionFailure();
        return;
    }
    if (embedded == TerminalWindow::EmbedResult::EmbeddedWithoutMenu)
        wxMessageBox(_("Failed to start Putty.exe!"), wxMessageBoxCaptionStr, wxOK | wxCENTRE, nullptr);
    // Once events flow again the windows are enabled, the panes laid out, and the user, who
    // connected to work in the new terminal, has it take the keys. When another connection has
    // started by then (connecting all sites), the last one does this.
    wxWeakRef<ShellyardConnPanel> connected(page);
    CallAfter([this, connected] {
        if (!ConnectingDisabler::Done())
            return;
        auiManager.Update();
        if (connected)
            connected->FocusTerminal();
    });
}

bool ShellyardFrame::SiteValuesAreSafe(const wxString& name, const wxString& protocol, const wxString& host,
                                       const wxString& port, const wxString& user, const wxString& password)
{
    SiteValueCheck check =
        SiteValueCheck::Of(Utf8(protocol), Utf8(host), Utf8(port), Utf8(user), Utf8(password));
    if (!check)
        return true;
    wxString reason;
    switch (check.problem) {
    case SiteValueCheck::Problem::Protocol:
        reason = wxString::Format(_("its protocol \"%s\" is neither SSH nor Telnet"), protocol);
        break;
    case SiteValueCheck::Problem::NoHost:
        reason = _("it has no host");
        break;
    case SiteValueCheck::Problem::HostLikeAnOption:
        reason = wxString::Format(_("its host \"%s\" begins with \"-\" and would be taken for an option"), host);
        break;
    case SiteValueCheck::Problem::ControlCharacter:
        reason = wxString::Format(_("its %s contains a control character"), wxGetTranslation(check.field));
        break;
    case SiteValueCheck::Problem::Port:
        reason = wxString::Format(_("its port \"%s\" is not a number from 1 to 65535"), port);
        break;
    case SiteValueCheck::Problem::None:
        break;
    }
    wxLogMessage("Site %s not started: its %s is not usable", name, check.field);
    ConnectingDisabler::Done();  // the message needs the windows usable
    wxMessageBox(wxString::Format(_("The site %s cannot be started: %s."), name, reason), "Shellyard",
                 wxOK | wxICON_WARNING, this);
    return false;
}

void ShellyardFrame::ShowConnectionFailure()
{
    ShowPuttyFailure();
    wxCommandEvent options;
    OnOptions(options);
    auiManager.Update();
}

void ShellyardFrame::QuickConnect(wxString host, wxString protocol)
{
    siteHost = host;
    siteProtocol = protocol;
    siteName = host;
    siteRowid = 0;  // no node: the login is looked up by host and name
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
    // The user learns how many terminals the command reached; the log names those it did not.
    int terminals = 0, reached = 0;
    for (size_t i = 0; i < count && i < notebook->GetPageCount(); ++i) {
        auto* page = dynamic_cast<ShellyardConnPanel*>(notebook->GetPage(i));
        if (!page)
            continue;
        ++terminals;
        // A session whose PuTTY has gone has no window to take the keys; they would land in
        // whichever window held the focus before.
        if (!page->HasLiveTerminal()) {
            wxLogMessage("Command not sent to %s: its PuTTY has exited", notebook->GetPageText(i));
            continue;
        }
        // Only a window on screen can take the keyboard focus: its tab comes to the front first.
        notebook->SetSelection(i);
        if (!page->WaitUntilTerminalShown()) {
            wxLogMessage("Command not sent to %s: its terminal could not be brought up", notebook->GetPageText(i));
            continue;
        }
        ActivateWindow(*keyPlatform, page->GetTerminalWindow());
        if (keySender.SendKeys(script, false))
            ++reached;
        else if (keySender.LastRunEnd() == KeySender::RunEnd::OutOfTime)
            wxLogMessage("Command sent to %s only in part: stopped after %d seconds at character %d",
                         notebook->GetPageText(i), KeySender::MaxRunTime / 1000, int(keySender.StoppedAt()));
        else
            wxLogMessage("Command sent to %s only in part: a key name in it is too long (at character %d)",
                         notebook->GetPageText(i), int(keySender.StoppedAt()));
        typed = true;
    }
    SetStatusText(wxString::Format(_("Sent to %d of %d terminals"), reached, terminals), 0);
    if (!typed)
        return;
    if (selected != wxNOT_FOUND && static_cast<size_t>(selected) < notebook->GetPageCount())
        notebook->SetSelection(selected);
    // The keys go back to where the user typed the command.
    TerminalWindow::Focus(TerminalWindow::FromToolkitHandle(GetHandle()));
}

void ShellyardFrame::OnPuttyConfiguration(wxCommandEvent& event)
{
    // The configuration window is the user's: it may hold settings not saved yet when Shellyard ends.
    TerminalProcess* process = TerminalProcess::Start(TerminalArguments::ForPuttyConfiguration(Utf8(puttyPath)),
                                                      TerminalProcess::UsersOwn);
    if (!process) {
        ShowPuttyFailure();
        return;
    }
    process->LetRun();
}

void ShellyardFrame::OnPageClose(wxAuiNotebookEvent& event)
{
    if (wxMessageBox(_("Are you sure you want to stop loggin and close this site?"), "Shellyard", wxYES_NO,
                     this) != wxYES)
        event.Veto();
}
