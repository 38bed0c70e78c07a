#pragma once
// The main window and hub of the program: owns the site store, the keystroke sender, the docking
// manager and (as their parent) every pane, the sites pane and the notebook of terminal and monitor
// tabs. Sites arrive as records, by value: from the sites pane, or made up by Quick Login.
#include "app/GUIFrame.h"
#include "session/keys/KeySender.h"

#include "session/ShellyardConnPanel.h"
#include "storage/SiteRecord.h"

#include <deque>
#include <memory>
#include <optional>
#include <vector>
#include <wx/aui/aui.h>
#include <wx/evtloopsrc.h>
#include <wx/utils.h>
#include <wx/weakref.h>
#include <wx/timer.h>
#include <vector>

class HotKeys;
class KeyPlatform;
class PostLoginCommands;
class ShellyardSitesPanel;
class SiteStore;
class TerminalProcess;
class StoreMessageSink;
class wxToolBar;
class ShellyardLoginPanel;
class ShellyardMCSPanel;
class wxAuiNotebookEvent;

enum {
    ID_TOOL_QUIT = 281,
    ID_TOOL_CONNECTION = 282,
    ID_TOOL_UPGRADE = 286,
    ID_TOOL_DONATION = 287,
    ID_TOOL_FULLSCREEN = 289,
    ID_TOOL_FIRST = 281,
    ID_TOOL_LAST = 291,
    ID_SITE_TREE = 408,
    ID_SITE_CONNECT = 4498,
    ID_SITE_DELETE = 4499,
    ID_SITE_MODIFY = 4500,
    ID_SITE_MONITOR = 4501,
    ID_SITES_CONNECT_ALL = 4502,
    ID_SITES_DELETE_ALL = 4503,
    ID_SITE_DUPLICATE = 4504,
    ID_SITE_MOVE = 4505,
    ID_FOLDER_NEW = 4506,
    ID_FOLDER_RENAME = 4507,
    ID_FOLDER_DELETE = 4508,
    ID_SITE_MENU_FIRST = ID_SITE_CONNECT,
    ID_SITE_MENU_LAST = ID_FOLDER_DELETE,
    // The menu of a tab (right click on it).
    ID_TAB_RECEIVE = 4520,
    ID_TAB_RECONNECT = 4521,
    ID_TAB_DUPLICATE = 4522,
    ID_TAB_CLOSE = 4523,
    ID_TAB_CLOSE_OTHERS = 4524,
};

class ShellyardFrame : public GUIFrame {
public:
    explicit ShellyardFrame(wxFrame* frame);
    ~ShellyardFrame() override;

    // Session operations (the sites pane, the Quick Login and Multi Command Sender panels call
    // these). A site with a rowid is used as it is (read from the store by its caller); one without
    // (Quick Login) takes its login and post-login commands from a stored row of the same host
    // and name, if there is one.
    void ConnectSite(SiteRecord site);
    // Several sites, in this order, a few at a time (see parallelConnections).
    void ConnectSites(std::vector<SiteRecord> sites);
    void QuickConnect(wxString host, wxString protocol);
    // Types the command into every terminal tab chosen to receive it, each with its own fields
    // (see CommandFields); a command naming an unknown field is refused before anything is typed.
    void SendToAllSessions(wxString text);
    // Every terminal tab receives broadcasts, or none does.
    void SetAllReceiveBroadcast(bool receive);
    // A new PuTTY for the tab's site in the same tab, in place of the one it has (ended or not).
    void ReconnectTab(ShellyardConnPanel* page);
    bool LocateTerminalPrograms();

    // A monitor tab for an SSH site with auto-login.
    void StartMonitor(SiteRecord site);
    void ShowPanes(bool show);

    // Shows the window in front of the others, with the keyboard focus (Shellyard was started again).
    void BringToFront();
    // At start-up: the PuTTY sessions that an earlier run of this Shellyard left open (it was killed
    // or crashed) and that still run are offered to be taken back into tabs.
    void OfferToTakeBackSessions();
    // The same, once the window is on screen (start-up).
    void OfferToTakeBackSessionsOnceShown();
    // At start-up: the terminal tabs open when the user last quit are reopened, as Tool > Options
    // says (asking first by default), a few at a time; the list is forgotten either way.
    void OfferToReopenSessions();

    // True while connections run or wait for their outcome to be told.
    bool IsConnecting() const { return !connections.empty() || !sitesToConnect.empty(); }
    // How many sites "Connect all sites" connects at a time.
    static int parallelConnections;

    // View toggles, process-wide as the View menu's state.
    static short sitesListShown;
    static short panesShown;

private:
    friend struct FrameProbe;  // read access for the GUI tests

    void OnClose(wxCloseEvent& event) override;
    void OnNewConnection(wxCommandEvent& event) override;
    void OnImportSites(wxCommandEvent& event) override;
    void OnQuit(wxCommandEvent& event) override;
    void OnViewSitesList(wxCommandEvent& event) override;
    void OnFullScreen(wxCommandEvent& event) override;
    void OnMonitorOverview(wxCommandEvent& event) override;
    void OnPuttyConfiguration(wxCommandEvent& event) override;
    void OnOptions(wxCommandEvent& event) override;
    void OnAbout(wxCommandEvent& event) override;
    void OnKeyboardShortcuts(wxCommandEvent& event) override;

    void OnToolbarCommand(wxCommandEvent& event);
    void OnSiteMenu(wxCommandEvent& event);  // the sites pane's menu commands, handed on to it
    void OnPageClose(wxAuiNotebookEvent& event);
    void OnTabRightUp(wxAuiNotebookEvent& event);
    // A command of the tab menu for page.
    void TabCommand(int id, wxWindow* page);
    // The tab's caption ("(ended)" after the site name once its PuTTY has gone) and its picture
    // (greyed while it does not receive broadcasts).
    void UpdateTabMark(ShellyardConnPanel* page);
    // Marks the terminal tabs whose PuTTY has ended since the last look.
    void CheckEndedTerminals();
    // The site of a tab as stored now (with its login), for a new connection; false, after telling
    // the user, when the site has been deleted meanwhile.
    bool CurrentSiteOf(ShellyardConnPanel* page, SiteRecord& site);
    // The stored row with this rowid; null when there is none (or no store).
    std::unique_ptr<SiteRecord> StoredSite(long long rowid);

    // SIGTERM, SIGINT and SIGHUP end the program as quitting does, at once. The toolkit calls the
    // handler from its event loop (whichever runs, a modal one too), never inside the signal.
    static void InstallEndSignals();
    static void OnEndSignal(int signal);
    void EndAtOnce(int signal);
    bool ConfirmQuit();  // the quit question; true for Yes
    bool AltF4Held();    // asks the system whether Alt and F4 are down at this moment
    void OpenSiteStore();
    // On quitting: the terminal tabs, in tab order, for the next start.
    void RememberSessions();
    void BuildLayout();
    void BuildToolBar();
    void BuildSitesPane();  // the sites pane with its tree, filled from the store
    void OpenMonitorPage(const SiteRecord& site);
    // A site without a rowid (Quick Login) gets the login and post-login commands of the row stored
    // under its host and name, if there is one; none otherwise.
    void TakeStoredLogin(SiteRecord& site);
    void OpenWebPage();
    void ShowConnectionFailure();
    void OpenOptions(bool onPluginsPage);  // the options dialog, on the page with the locations if asked
    // Notebook pages in the order the user sees their tabs: row after row (a split notebook has
    // several), each from left to right. A drag moves a tab in its row, not always its page index.
    std::vector<wxWindow*> PagesInTabOrder();

    // The window as the last run left it (place, size, maximized, the panes' layout, the sites
    // list), and saved so when the user quits; see WindowState.
    void RestoreWindowState();
    void RestoreLayout(const wxString& layout);
    void SaveWindowState();
    void FollowPlace();
    wxRect normalRect;                   // place and size while neither maximized nor full screen
    wxString normalLayout;               // the panes' layout before full screen hid them
    std::optional<wxPoint> placeToTake;  // where the window asked to be shown, until it is shown
    int placeRequests = 0;
    bool placeRequestDue = false;  // a request for the place or size waits for the event loop
    bool restoreWhenUnmaximized = false;  // shown maximized: normalRect is taken on leaving it
    bool maximizedSeen = false;

    // Connecting: every connection runs on its own (see TerminalConnection) and tells its outcome by
    // an event; outcomes are told to the user in the order the connections started, and the
    // windows stay disabled from the first start to the last outcome.
    struct StartedConnection {
        long id = 0;
        wxString name;
        SiteRecord site;         // what its tab tells, without the password
        bool takenBack = false;  // a session of an earlier run, not started by us
        bool reconnect = false;  // into a tab that was there already: it stays whatever happens
        bool receive = true;     // the new tab receives broadcasts
        wxWeakRef<ShellyardConnPanel> page;
        bool done = false;
        enum class Result {
            Running, Embedded, EmbeddedWithoutMenu, NoWindow, WindowLost, NotStarted, Refused, Cancelled
        };
        Result result = Result::Running;
        wxString refusal;  // why the site's values were refused
    };
    // Into a new tab, or into the tab given (reconnect).
    void StartConnection(SiteRecord site, ShellyardConnPanel* into = nullptr, bool receive = true);
    // Opens the tab of a started (or taken-back) terminal program (or reuses into) and connects it.
    void OpenTerminalTab(StartedConnection started, std::unique_ptr<TerminalProcess> process,
                         std::unique_ptr<PostLoginCommands> commands, ShellyardConnPanel* into = nullptr);
    void RecordSession(const StartedConnection& connection);
    void OnTerminalConnection(wxCommandEvent& event);
    // A tab's post-login command is due: typed into its terminal if it takes the keys now.
    void OnPostLoginCommand(wxCommandEvent& event);
    // The site's post-login commands for a tab about to start, with the session log PuTTY is to
    // write (none when the site has none, or no log can be made).
    std::unique_ptr<PostLoginCommands> PostLoginCommandsFor(const SiteRecord& site, long id);
    // Brings the tab to the front and activates its terminal for the keys; false when the terminal
    // does not come on screen.
    // With keepSelection the tab's page is only shown for the moment (HideAfterKeys hides it
    // again), which with many tabs is much cheaper than selecting each in turn.
    bool BringTerminalForward(ShellyardConnPanel* page, bool keepSelection = false);
    // Our frame active first: a window manager would otherwise hand the focus to the frame after a
    // terminal took it. Waits up to a second.
    void BecomeActive();
    void AdvanceConnections(bool startNow = false);
    void TellOutcome(const StartedConnection& connection);
    size_t RunningConnections() const;
    std::deque<StartedConnection> connections;  // in the order they started
    struct QueuedSite {
        SiteRecord site;
        bool receive = true;
    };
    std::deque<QueuedSite> sitesToConnect;  // "Connect all sites" (or reopening) not started yet
    int connectingTotal = 0, connectingStarted = 0;  // of those, for the status bar
    void QueueSites(std::vector<QueuedSite> sites);
    std::unique_ptr<wxWindowDisabler> connectingDisabler;
    long lastConnectionId = 0;
    bool tellingOutcome = false;
    wxWeakRef<ShellyardConnPanel> lastConnected;
    wxTimer nextStartTimer;  // the next start of "Connect all sites", one turn of the event loop later
    wxTimer layoutTimer;     // the panes' layout once the last terminal shows
    // The newest tab is brought into the tab row's view once the row has drawn, at most every
    // kTabViewMilliseconds while sites connect (each time measures every tab).
    static constexpr int kTabViewMilliseconds = 250;
    wxTimer tabViewTimer;
    wxWeakRef<ShellyardConnPanel> tabToView;
    wxLongLong tabViewedAt = 0;
    void ViewNewestTab();
    // While several sites connect, the tab row keeps the height it has (each new tab would
    // otherwise measure every tab's caption to find the same height again).
    bool tabHeightHeld = false;
    wxTimer endedTimer;      // looks for terminals whose PuTTY has ended
    // The message for the user (after a line in the log) when a value of the site would reach PuTTY
    // or PLink as something else than what it is: an option, a line end. Empty when all is well.
    wxString UnsafeSiteValues(const wxString& name, const wxString& protocol, const wxString& host,
                              const wxString& port, const wxString& user, const wxString& password,
                              const wxString& keyFile = wxString(), const wxString& session = wxString());
    // The site's key file made ready for PuTTY and PLink: a PuTTY key as it is; an OpenSSH key
    // converted by puttygen into our private folder, after asking (the site keeps the copy). The
    // message for the user when it cannot be used; empty when all is well.
    wxString PrepareKeyFile(SiteRecord& site);

    // The window's size before full screen. Without a window manager GTK sometimes drops the
    // resize back, and the frame would stay screen-sized; a moment later it is checked again.
    wxSize normalSize;
    wxTimer restoreSizeTimer;

    wxAuiManager auiManager;
    wxAuiNotebook* notebook = nullptr;
    wxToolBar* toolBar = nullptr;
    SiteStore* siteStore = nullptr;
    wxString puttyPath;
    wxString plinkPath;
    ShellyardSitesPanel* sitesPanel = nullptr;
    std::unique_ptr<KeyPlatform> keyPlatform;
    // Tab switching from the keyboard (see HotKeys): the next, previous or n-th tab in tab order.
    void SwitchTab(int action);
    std::unique_ptr<HotKeys> hotKeys;
    wxTimer hotKeysTimer;
    // Where HotKeys has a descriptor, the event loop watches it (the source goes before hotKeys).
    std::unique_ptr<wxEventLoopSourceHandler> hotKeysReader;
    std::unique_ptr<wxEventLoopSource> hotKeysSource;
    KeySender keySender;

    std::unique_ptr<StoreMessageSink> storeMessages;
    ShellyardLoginPanel* loginPanel = nullptr;
    ShellyardMCSPanel* mcsPanel = nullptr;

    wxDECLARE_EVENT_TABLE();
};
