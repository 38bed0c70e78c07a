// Terminal sessions of the main window: locating PuTTY and PLink, connecting sites in terminal tabs
// and telling the outcomes, typing into every tab and PuTTY's own configuration window (the open
// tabs themselves: ShellyardFrameTabs.cpp).
#include "app/ShellyardFrame.h"

#include "app/AppConfig.h"
#include "app/HotKeys.h"
#include "app/SessionRecord.h"
#include "resources/Pictures.h"
#include "session/PendingEvents.h"
#include "session/PostLoginCommands.h"
#include "session/ProcessIdentity.h"
#include "session/SessionLog.h"
#include "session/ShellyardConnPanel.h"
#include "session/SiteValueCheck.h"
#include "session/TerminalArguments.h"
#include "session/TerminalConnection.h"
#include "session/TerminalProcess.h"
#include "session/TerminalWindow.h"
#include "session/keys/CommandFields.h"

#include <algorithm>
#include <wx/stopwatch.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>
#include <wx/tokenzr.h>
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

int ShellyardFrame::parallelConnections = 2;

void ShellyardFrame::ConnectSite(SiteRecord site)
{
    StartConnection(std::move(site));
    AdvanceConnections();
}

size_t ShellyardFrame::RunningConnections() const
{
    size_t running = 0;
    for (const StartedConnection& connection : connections)
        running += connection.result == StartedConnection::Result::Running ? 1 : 0;
    return running;
}

// Starts PuTTY for one site and opens its tab at once; the terminal shows in the tab the moment its
// window is there. The outcome is told by AdvanceConnections, in the order connections started.
void ShellyardFrame::StartConnection(SiteRecord site, ShellyardConnPanel* into, bool receive)
{
    StartedConnection started;
    started.id = ++lastConnectionId;
    started.name = site.hostname;
    started.reconnect = into != nullptr;
    started.receive = receive;
    started.page = into;

    // The login comes from the stored row, read when the command was given; without a stored row
    // there is no auto-login.
    TakeStoredLogin(site);
    started.site = site;
    started.site.hostpasswd.clear();
    started.refusal = UnsafeSiteValues(site.hostname, site.hosttype, site.hostip, site.hostport, site.hostuser,
                                       site.hostpasswd, site.keyfile, site.puttysession);
    if (started.refusal.empty())
        started.refusal = PrepareKeyFile(site);
    if (started.refusal.empty()) {
        LocateTerminalPrograms();
        std::unique_ptr<PostLoginCommands> commands = PostLoginCommandsFor(site, started.id);
        TerminalArguments arguments = TerminalArguments::ForPutty(
            Utf8(puttyPath), Utf8(site.hosttype), Utf8(site.hostip), Utf8(site.hostport), Utf8(site.hostuser),
            Utf8(site.hostpasswd), commands ? commands->LogPath() : std::string(),
            TerminalArguments::Login{Utf8(site.keyfile), Utf8(site.puttysession)});
        wxLogMessage("Connecting %s: %s", site.hostname, wxString::FromUTF8(arguments.ForLog().c_str()));
        std::unique_ptr<TerminalProcess> process = TerminalProcess::Start(arguments);
        if (process) {
            OpenTerminalTab(started, std::move(process), std::move(commands), into);
            return;
        }
        wxLogMessage("PuTTY could not be started from \"%s\"", puttyPath);
        started.result = StartedConnection::Result::NotStarted;
        // Every other site would fail the same way: "Connect all sites" stops here.
        sitesToConnect.clear();
    } else {
        started.result = StartedConnection::Result::Refused;
    }
    started.done = true;
    connections.push_back(started);
}

std::unique_ptr<PostLoginCommands> ShellyardFrame::PostLoginCommandsFor(const SiteRecord& site, long id)
{
    // One command per line, at most three; they are typed, never handed to PuTTY.
    std::vector<std::string> commands;
    wxStringTokenizer lines(site.hostpostcommand, "\n");
    while (lines.HasMoreTokens() && commands.size() < 3) {
        wxString line = lines.GetNextToken();
        line.Replace("\r", wxEmptyString);
        if (!line.empty())
            commands.push_back(Utf8(line));
    }
    if (commands.empty())
        return nullptr;
    std::unique_ptr<SessionLog> log = SessionLog::Create(Utf8(AppConfig::ProgramDirectory()));
    if (!log) {
        wxLogMessage("The post-login commands of %s cannot be typed: no session log can be made in %s", site.hostname,
                     AppConfig::ProgramDirectory());
        return nullptr;
    }
    return std::make_unique<PostLoginCommands>(std::move(commands), std::move(log), this, id, site.hostname);
}

void ShellyardFrame::OnPostLoginCommand(wxCommandEvent& event)
{
    ShellyardConnPanel* page = nullptr;
    for (size_t i = 0; notebook && i < notebook->GetPageCount() && !page; ++i) {
        auto* tab = dynamic_cast<ShellyardConnPanel*>(notebook->GetPage(i));
        if (tab && tab->GetPostLoginCommands() && tab->GetPostLoginCommands()->Id() == event.GetExtraLong())
            page = tab;
    }
    if (!page)
        return;  // the tab was closed meanwhile
    PostLoginCommands* commands = page->GetPostLoginCommands();
    const std::string command = commands->Due();
    if (command.empty())
        return;
    // Keys go to whatever holds the focus: never while a dialog of ours is open, and only once the
    // terminal has been seen to hold it.
    bool dialogOpen = false;
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        dialogOpen |= dialog && dialog->IsModal();
    }
    if (dialogOpen || tellingOutcome || !page->HasLiveTerminal()) {
        commands->TryAgain();
        return;
    }
    const int selected = notebook->GetSelection();
    const int index = notebook->GetPageIndex(page);
    BecomeActive();
    if (!BringTerminalForward(page) || !TerminalWindow::HasKeyboardFocus(page->GetTerminalWindow())) {
        if (selected != wxNOT_FOUND && selected != index)
            notebook->SetSelection(static_cast<size_t>(selected));
        commands->TryAgain();
        return;
    }
    keySender.SendKeys(KeySender::Literal(command) + "{ENTER}", false);
    commands->Typed();
    // The user goes on where they were.
    if (selected != wxNOT_FOUND && selected != index && static_cast<size_t>(selected) < notebook->GetPageCount())
        notebook->SetSelection(static_cast<size_t>(selected));
}

void ShellyardFrame::BecomeActive()
{
    if (IsActive())
        return;
    Raise();
    wxStopWatch waited;
    while (!IsActive() && waited.Time() < 1000) {
        HandlePendingEvents(wxEVT_CATEGORY_UI | wxEVT_CATEGORY_TIMER);
        wxMilliSleep(5);
    }
}

bool ShellyardFrame::BringTerminalForward(ShellyardConnPanel* page, bool keepSelection)
{
    // Only a window on screen can take the keyboard focus: its tab comes to the front first, or
    // (keepSelection) its page is shown over the selected one without selecting it: the notebook
    // then redraws no tab row and hides no other page.
    int index = notebook->GetPageIndex(page);
    if (index == wxNOT_FOUND)
        return false;
    if (!keepSelection || notebook->GetCurrentPage() == page)
        notebook->SetSelection(static_cast<size_t>(index));
    else if (!page->IsShown())
        page->Show();
    if (!page->WaitUntilTerminalShown())
        return false;
    ActivateWindow(*keyPlatform, page->GetTerminalWindow());
    return true;
}

void ShellyardFrame::OpenTerminalTab(StartedConnection started, std::unique_ptr<TerminalProcess> process,
                                     std::unique_ptr<PostLoginCommands> commands, ShellyardConnPanel* into)
{
    if (!connectingDisabler)
        connectingDisabler = std::make_unique<wxWindowDisabler>();
    ShellyardConnPanel* page = into ? into : new ShellyardConnPanel(notebook);
    page->SetTerminalProcess(std::move(process));
    page->SetSite(started.site);
    if (!into)
        page->SetReceivesBroadcast(started.receive);
    wxWeakRef<ShellyardConnPanel> reconnectable(page);
    page->SetReconnectAction([this, reconnectable] {
        if (reconnectable)
            ReconnectTab(reconnectable);
    });
    if (commands)
        page->SetPostLoginCommands(std::move(commands));
    if (into) {
        // The tab keeps its place and its broadcast choice; it comes to the front.
        UpdateTabMark(page);
        notebook->SetPageToolTip(notebook->GetPageIndex(page), page->SiteToolTip());
        notebook->SetSelection(notebook->GetPageIndex(page));
        started.page = page;
        connections.push_back(started);
        page->Connect(this, started.id);
        return;
    }
    // Frozen, the notebook draws its tab row once events flow, not inside the insertion: with
    // dozens of tabs that drawing alone would hold up events for long.
    notebook->Freeze();
    if (connectingTotal > 1 && notebook->GetPageCount() > 0 && !tabHeightHeld) {
        notebook->SetTabCtrlHeight(notebook->GetTabCtrlHeight());
        tabHeightHeld = true;
    }
    notebook->AddPage(page, started.name, true, PictureBitmap("tree2"));
    notebook->SetPageToolTip(notebook->GetPageIndex(page), page->SiteToolTip());
    if (!started.receive)
        UpdateTabMark(page);
    notebook->Thaw();
    // The tab row learns whether its tabs overflow when it draws; then it can scroll to the new tab.
    // One site: at once, as soon as events flow; while several connect, at most every
    // kTabViewMilliseconds.
    tabToView = page;
    const wxLongLong since = wxGetLocalTimeMillis() - tabViewedAt;
    if (connectingTotal <= 1 || since >= kTabViewMilliseconds) {
        tabViewTimer.Stop();
        tabViewedAt = wxGetLocalTimeMillis();
        CallAfter([this] { ViewNewestTab(); });
    } else if (!tabViewTimer.IsRunning()) {
        tabViewTimer.StartOnce(int(kTabViewMilliseconds - since.GetValue()));
    }
    started.page = page;
    connections.push_back(started);
    page->Connect(this, started.id);
}

void ShellyardFrame::ViewNewestTab()
{
    tabViewedAt = wxGetLocalTimeMillis();
    wxAuiTabCtrl* tabs = nullptr;
    int tab = 0;
    if (tabToView && notebook->FindTab(tabToView, &tabs, &tab)) {
        tabs->Update();
        tabs->MakeTabVisible(tab, tabs);
    }
}

// A terminal in its tab goes into the record of open sessions, and out of it when its tab goes,
// however that happens (closed, failed, ended with the program).
void ShellyardFrame::RecordSession(const StartedConnection& connection)
{
    if (!connection.page || !connection.page->GetTerminalProcess())
        return;
    RecordedSession session;
    session.pid = connection.page->GetTerminalProcess()->Pid();
    session.startMark = ProcessIdentity::StartMark(session.pid);
    session.program = ProcessIdentity::ProgramOf(session.pid);
    session.rowid = connection.site.rowid;
    session.protocol = connection.site.hosttype;
    session.host = connection.site.hostip;
    session.port = connection.site.hostport;
    session.user = connection.site.hostuser;
    session.name = connection.name;
    if (session.startMark.empty())
        return;  // it has ended already
    SessionRecord::Get().Add(session);
    const long pid = session.pid;
    connection.page->Bind(wxEVT_DESTROY, [pid](wxWindowDestroyEvent& event) {
        SessionRecord::Get().Remove(pid);
        event.Skip();
    });
}

void ShellyardFrame::OnTerminalConnection(wxCommandEvent& event)
{
    for (StartedConnection& connection : connections) {
        if (connection.id != event.GetExtraLong() || connection.done)
            continue;
        connection.done = true;
        switch (static_cast<TerminalConnection::Outcome>(event.GetInt())) {
        case TerminalConnection::Outcome::Embedded:
            connection.result = StartedConnection::Result::Embedded;
            RecordSession(connection);
            break;
        case TerminalConnection::Outcome::EmbeddedWithoutMenu:
            connection.result = StartedConnection::Result::EmbeddedWithoutMenu;
            RecordSession(connection);
            break;
        case TerminalConnection::Outcome::Cancelled:
            wxLogMessage("The tab of %s was closed before its terminal showed", connection.name);
            connection.result = StartedConnection::Result::Cancelled;
            break;
        case TerminalConnection::Outcome::NotEmbedded:
            connection.result = StartedConnection::Result::WindowLost;
            break;
        case TerminalConnection::Outcome::NoWindow:
            connection.result = StartedConnection::Result::NoWindow;
            break;
        }
    }
    AdvanceConnections();
}

// Tells the outcomes that are due (in starting order), starts the next site of "Connect all sites"
// while fewer than parallelConnections run, and once nothing runs or waits, gives the windows back.
// A start comes on a turn of the event loop of its own (startNow, from nextStartTimer): making a tab
// takes a while, and more work in the same turn would hold up the events and the terminals already
// on their way.
void ShellyardFrame::AdvanceConnections(bool startNow)
{
    if (tellingOutcome)
        return;  // the outcome being told is followed by the others once its messages are answered
    const size_t parallel = static_cast<size_t>(std::max(1, parallelConnections));
    for (;;) {
        tellingOutcome = true;
        while (!connections.empty() && connections.front().done) {
            StartedConnection finished = connections.front();
            connections.pop_front();
            TellOutcome(finished);
        }
        tellingOutcome = false;
        if (!startNow || sitesToConnect.empty() || RunningConnections() >= parallel)
            break;
        // A site refused at once is done already: its outcome is told in the next round.
        startNow = false;
        QueuedSite next = std::move(sitesToConnect.front());
        sitesToConnect.pop_front();
        ++connectingStarted;
        SetStatusText(wxString::Format(_("Connecting %d of %d..."), connectingStarted, connectingTotal), 0);
        StartConnection(std::move(next.site), nullptr, next.receive);
    }
    if (!sitesToConnect.empty() && RunningConnections() < parallel)
        nextStartTimer.StartOnce(1);
    // Escape stops the sites not started yet.
    if (hotKeys)
        hotKeys->TakeEscape(!sitesToConnect.empty());
    if (IsConnecting())
        return;
    if (connectingTotal > 0) {
        if (connectingStarted < connectingTotal)
            SetStatusText(wxString::Format(_("Connected %d of %d sites: stopped"), connectingStarted, connectingTotal), 0);
        else
            SetStatusText(wxEmptyString, 0);
        connectingTotal = connectingStarted = 0;
    }
    connectingDisabler.reset();
    if (tabHeightHeld) {
        notebook->SetTabCtrlHeight(-1);  // measured again from now on
        tabHeightHeld = false;
    }
    // The user, who connected to work in the new terminal, has it take the keys; the panes are laid
    // out once it shows (the layout takes a while and changes nothing the terminal needs).
    if (lastConnected)
        lastConnected->FocusTerminal();
    layoutTimer.StartOnce(50);
}

void ShellyardFrame::TellOutcome(const StartedConnection& connection)
{
    using Result = StartedConnection::Result;
    if (connection.result == Result::Embedded || connection.result == Result::EmbeddedWithoutMenu)
        lastConnected = connection.page;
    if (connection.result == Result::Embedded || connection.result == Result::Cancelled)
        return;
    if (connection.reconnect && connection.page && connection.result != Result::EmbeddedWithoutMenu) {
        // The tab stays where it is, marked as ended, whatever kept its PuTTY from coming.
        connection.page->EndTerminal();
        connection.page->MarkEnded();
        UpdateTabMark(connection.page);
    }
    if (connection.takenBack) {
        // Not started by us: nothing to tell about PuTTY's location; it stays the user's window.
        wxLogMessage("The session %s of the last run could not be taken back into a tab; it is left as it is",
                     connection.name);
        if (connection.page) {
            if (connection.page->GetTerminalProcess())
                connection.page->GetTerminalProcess()->Disown();
            int index = notebook->GetPageIndex(connection.page);
            if (index != wxNOT_FOUND)
                notebook->DeletePage(static_cast<size_t>(index));
        }
        return;
    }
    if ((connection.result == Result::NoWindow || connection.result == Result::WindowLost) && connection.page &&
        !connection.reconnect) {
        // No terminal: the tab goes, and its process with it at once.
        int index = notebook->GetPageIndex(connection.page);
        if (index != wxNOT_FOUND)
            notebook->DeletePage(static_cast<size_t>(index));
    }
    // The messages need the windows usable; they are disabled again if connections still run.
    bool stillConnecting = IsConnecting();
    connectingDisabler.reset();
    switch (connection.result) {
    case Result::EmbeddedWithoutMenu:
        wxMessageBox(_("Failed to start Putty.exe!"), wxMessageBoxCaptionStr, wxOK | wxCENTRE, nullptr);
        break;
    case Result::Refused:
        wxMessageBox(connection.refusal, "Shellyard", wxOK | wxICON_WARNING, this);
        break;
    case Result::WindowLost:
        // PuTTY did start and show its window: the program and its location are fine.
        wxMessageBox(wxString::Format(_("PuTTY for %s closed its window before it could be shown in a tab."),
                                      connection.name),
                     "Shellyard", wxOK | wxICON_INFORMATION, this);
        break;
    default:
        ShowConnectionFailure();
        break;
    }
    if (stillConnecting && IsConnecting() && !connectingDisabler)
        connectingDisabler = std::make_unique<wxWindowDisabler>();
}

wxString ShellyardFrame::UnsafeSiteValues(const wxString& name, const wxString& protocol, const wxString& host,
                                          const wxString& port, const wxString& user, const wxString& password,
                                          const wxString& keyFile, const wxString& session)
{
    SiteValueCheck check = SiteValueCheck::Of(Utf8(protocol), Utf8(host), Utf8(port), Utf8(user), Utf8(password),
                                              Utf8(keyFile), Utf8(session));
    if (!check)
        return wxString();
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
    case SiteValueCheck::Problem::LikeAnOption:
        reason = wxString::Format(_("its %s begins with \"-\" and would be taken for an option"),
                                  wxGetTranslation(check.field));
        break;
    case SiteValueCheck::Problem::None:
        break;
    }
    wxLogMessage("Site %s not started: its %s is not usable", name, check.field);
    return wxString::Format(_("The site %s cannot be started: %s."), name, reason);
}

void ShellyardFrame::ShowConnectionFailure()
{
    ShowPuttyFailure();
    OpenOptions(true);
    auiManager.Update();
}

void ShellyardFrame::QuickConnect(wxString host, wxString protocol)
{
    // No stored row (rowid 0): the login is looked up by host and name, the name being the host.
    SiteRecord site;
    site.hostip = host;
    site.hostname = host;
    site.hosttype = protocol;
    // Quick Login has no port field: the protocol's own port is used.
    site.hostport = protocol == "telnet" ? "23" : "22";
    ConnectSite(std::move(site));
}

void ShellyardFrame::SendToAllSessions(wxString text)
{
    const std::string command = Utf8(text);
    // A field that no terminal has would be typed as nothing: the command is refused as a whole.
    const std::string unknown = CommandFields::UnknownField(command);
    if (!unknown.empty()) {
        wxLogMessage("Command not sent: it names the unknown field {%%%s%%}", wxString::FromUTF8(unknown.c_str()));
        wxMessageBox(wxString::Format(_("The command names the field {%%%s%%}, which Shellyard does not know, and "
                                        "was sent to no terminal. The fields are {%%NAME%%}, {%%HOST%%}, "
                                        "{%%USER%%} and {%%PORT%%}."),
                                      wxString::FromUTF8(unknown.c_str())),
                     "Shellyard", wxOK | wxICON_WARNING, this);
        return;
    }
    const bool withFields = CommandFields::HasFields(command);
    const std::string script = command + "{ENTER}";
    const wxWeakRef<wxWindow> selected(notebook->GetCurrentPage());
    bool typed = false;
    // Activating the first terminal raises this window; a window manager would then hand the focus
    // to the frame after the terminal took it, and the first session's keys would go astray. So the
    // frame is made the active window first.
    BecomeActive();
    // The user learns how many terminals the command reached of those open (tabs not chosen are
    // counted, not typed into); the log names the chosen ones it did not reach.
    int terminals = 0, reached = 0;
    std::vector<wxWeakRef<wxWindow>> pages;
    for (wxWindow* page : PagesInTabOrder())
        pages.emplace_back(page);
    for (const wxWeakRef<wxWindow>& tab : pages) {
        auto* page = dynamic_cast<ShellyardConnPanel*>(tab.get());
        const int i = page ? notebook->GetPageIndex(page) : wxNOT_FOUND;
        if (i == wxNOT_FOUND)
            continue;
        ++terminals;
        if (!page->ReceivesBroadcast())
            continue;
        const wxString caption = page->Site().hostname;
        // A session whose PuTTY has gone has no window to take the keys; they would land in
        // whichever window held the focus before.
        if (!page->HasLiveTerminal()) {
            wxLogMessage("Command not sent to %s: its PuTTY has exited", caption);
            continue;
        }
        if (!BringTerminalForward(page, true)) {
            wxLogMessage("Command not sent to %s: its terminal could not be brought up", caption);
            if (page != selected.get())
                page->Hide();
            continue;
        }
        std::string own = script;
        if (withFields) {
            const SiteRecord& site = page->Site();
            own = CommandFields::Substitute(
                      command, {Utf8(site.hostname), Utf8(site.hostip), Utf8(site.hostuser), Utf8(site.hostport)}) +
                  "{ENTER}";
        }
        if (keySender.SendKeys(own, false))
            ++reached;
        else if (keySender.LastRunEnd() == KeySender::RunEnd::OutOfTime)
            wxLogMessage("Command sent to %s only in part: stopped after %d seconds at character %d", caption,
                         KeySender::MaxRunTime / 1000, int(keySender.StoppedAt()));
        else
            wxLogMessage("Command sent to %s only in part: a key name in it is too long (at character %d)", caption,
                         int(keySender.StoppedAt()));
        typed = true;
        // The page was only shown for its keys.
        if (page != selected.get() && page != notebook->GetCurrentPage())
            page->Hide();
    }
    SetStatusText(wxString::Format(_("Sent to %d of %d terminals"), reached, terminals), 0);
    if (!typed)
        return;
    const int shownAgain = selected ? notebook->GetPageIndex(selected) : wxNOT_FOUND;
    if (shownAgain != wxNOT_FOUND)
        notebook->SetSelection(shownAgain);
    // The keys go back to where the user typed the command.
    TerminalWindow::Focus(TerminalWindow::FromToolkitHandle(GetHandle()));
}

void ShellyardFrame::OnPuttyConfiguration(wxCommandEvent& event)
{
    // The configuration window is the user's: it may hold settings not saved yet when Shellyard ends.
    if (!TerminalProcess::StartUsersOwn(TerminalArguments::ForPuttyConfiguration(Utf8(puttyPath))))
        ShowPuttyFailure();
}
