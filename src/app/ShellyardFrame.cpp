#include "app/ShellyardFrame.h"

#include "app/AppConfig.h"
#include "app/HotKeys.h"
#include "app/LastSessions.h"
#include "app/ProjectAddress.h"
#include "app/SessionRecord.h"
#include "app/ShellyardSitesPanel.h"
#include "dialogs/ShellyardAboutDialog.h"
#include "dialogs/ShellyardOptionDialog.h"
#include "monitor/ShellyardMonOverviewPanel.h"
#include "resources/Pictures.h"
#include "session/ShellyardLoginPanel.h"
#include "session/ShellyardMCSPanel.h"
#include "session/PostLoginCommands.h"
#include "session/TerminalConnection.h"
#include "session/TerminalWindow.h"
#include "session/keys/KeyPlatform.h"
#include "storage/SiteStore.h"
#include "storage/StoreMessageSink.h"

#include <algorithm>
#include <cstdio>
#include <wx/dialog.h>
#include <wx/app.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#ifndef __WXMSW__
#include <signal.h>
#include <unistd.h>
#endif

short ShellyardFrame::sitesListShown = 1;
short ShellyardFrame::panesShown = 1;

namespace {
// Hands the tab keys over as soon as their connection has something to read.
class HotKeysReader : public wxEventLoopSourceHandler {
public:
    explicit HotKeysReader(HotKeys* keys) : keys(keys) {}
    void OnReadWaiting() override { keys->Poll(); }
    void OnWriteWaiting() override {}
    void OnExceptionWaiting() override {}

private:
    HotKeys* keys;
};

// The store's messages become the program's message boxes (no parent, as at start-up the frame is
// not shown yet).
class MessageBoxSink : public StoreMessageSink {
public:
    void ShowMessage(const wxString& message, const wxString& caption, long style) override
    {
        wxMessageBox(message, caption, style, nullptr);
    }
};
}  // namespace

wxBEGIN_EVENT_TABLE(ShellyardFrame, GUIFrame)
    EVT_MENU_RANGE(ID_SITE_MENU_FIRST, ID_SITE_MENU_LAST, ShellyardFrame::OnSiteMenu)
    EVT_MENU_RANGE(ID_TOOL_FIRST, ID_TOOL_LAST, ShellyardFrame::OnToolbarCommand)
    EVT_AUINOTEBOOK_PAGE_CLOSE(wxID_ANY, ShellyardFrame::OnPageClose)
    EVT_AUINOTEBOOK_TAB_RIGHT_UP(wxID_ANY, ShellyardFrame::OnTabRightUp)
    EVT_COMMAND(wxID_ANY, wxEVT_TERMINAL_CONNECTION, ShellyardFrame::OnTerminalConnection)
    EVT_COMMAND(wxID_ANY, wxEVT_POST_LOGIN_COMMAND, ShellyardFrame::OnPostLoginCommand)
wxEND_EVENT_TABLE()

ShellyardFrame::ShellyardFrame(wxFrame* frame)
    : GUIFrame(frame), auiManager(nullptr, wxAUI_MGR_DEFAULT), keyPlatform(CreateSystemKeyPlatform(TerminalWindow::ToolkitConnection())),
      keySender(keyPlatform.get()), storeMessages(std::make_unique<MessageBoxSink>())
{
    // A new main window starts with its panes and its sites list shown.
    sitesListShown = 1;
    panesShown = 1;

    const int restoreSizeId = wxWindow::NewControlId();
    restoreSizeTimer.SetOwner(this, restoreSizeId);
    Bind(
        wxEVT_TIMER,
        [this](wxTimerEvent&) {
            if (!IsFullScreen() && !IsMaximized() && normalSize.IsFullySpecified() && GetSize() != normalSize)
                SetSize(normalSize);
        },
        restoreSizeId);

    const int nextStartId = wxWindow::NewControlId();
    nextStartTimer.SetOwner(this, nextStartId);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { AdvanceConnections(true); }, nextStartId);
    const int layoutId = wxWindow::NewControlId();
    layoutTimer.SetOwner(this, layoutId);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { auiManager.Update(); }, layoutId);
    const int tabViewId = wxWindow::NewControlId();
    tabViewTimer.SetOwner(this, tabViewId);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { ViewNewestTab(); }, tabViewId);
    const int endedId = wxWindow::NewControlId();
    endedTimer.SetOwner(this, endedId);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { CheckEndedTerminals(); }, endedId);
    endedTimer.Start(300);
    // A combination acts once the event loop is back (it may be handed over amid our own calls).
    hotKeys = HotKeys::Create([this](int action) { CallAfter([this, action] { SwitchTab(action); }); });
    if (hotKeys && hotKeys->Descriptor() >= 0) {
        hotKeysReader = std::make_unique<HotKeysReader>(hotKeys.get());
        hotKeysSource.reset(
            wxEventLoopBase::AddSourceForFD(hotKeys->Descriptor(), hotKeysReader.get(), wxEVENT_SOURCE_INPUT));
    }
    if (hotKeys) {
        const int hotKeysId = wxWindow::NewControlId();
        hotKeysTimer.SetOwner(this, hotKeysId);
        Bind(
            wxEVT_TIMER,
            [this](wxTimerEvent&) {
                // The grab is made once the window is on screen; from then on the event loop hears
                // of the keys where it watches the descriptor.
                if (IsShownOnScreen() && hotKeys->Attach(TerminalWindow::FromToolkitHandle(GetHandle())) &&
                    hotKeysSource)
                    hotKeysTimer.Stop();
                hotKeys->Poll();
            },
            hotKeysId);
        hotKeysTimer.Start(20);
        Bind(wxEVT_ACTIVATE, [this](wxActivateEvent& event) {
            if (hotKeys)
                hotKeys->SetActive(event.GetActive());
            event.Skip();
        });
    }

    OpenSiteStore();
    // What an earlier run left in the record stays there until OfferToTakeBackSessions.
    SessionRecord::Get().Open(AppConfig::ProgramFile("shellyard.sessions"));
    BuildLayout();
    RestoreWindowState();
    LocateTerminalPrograms();
    InstallEndSignals();
}

ShellyardFrame::~ShellyardFrame()
{
    // The tabs go after this object: connections still running must not report to it.
    for (size_t i = 0; notebook && i < notebook->GetPageCount(); ++i) {
        auto* page = dynamic_cast<ShellyardConnPanel*>(notebook->GetPage(i));
        if (page && page->GetConnection())
            page->GetConnection()->ForgetListener();
    }
    if (sitesPanel)
        sitesPanel->ForgetStore();
    if (siteStore) {
        siteStore->Close();
        delete siteStore;
        siteStore = nullptr;
    }
    AppConfig::Shutdown();
    auiManager.UnInit();
}

void ShellyardFrame::OpenSiteStore()
{
    wxString path = AppConfig::ProgramFile("Shellyard.db");
    siteStore = new SiteStore(storeMessages.get());
    if (siteStore->Open(path) < 0) {
        wxMessageBox(_("The database file is damaged or not existed. Re-Initialize the database now!"),
                     "Shellyard", wxOK | wxICON_INFORMATION, nullptr);
    }
}

void ShellyardFrame::BuildLayout()
{
    auiManager.SetManagedWindow(this);

    BuildToolBar();
    auiManager.AddPane(toolBar, wxAuiPaneInfo().Name("tb").Caption("Toolbar").ToolbarPane().Top()
                                    .Gripper(true).Fixed().CloseButton(false));

    loginPanel = new ShellyardLoginPanel(this);
    auiManager.AddPane(loginPanel, wxAuiPaneInfo().Name("loginpanel").Caption("Quick Login").ToolbarPane()
                                       .Top().Gripper(true).Fixed().CloseButton(false));

    mcsPanel = new ShellyardMCSPanel(this);
    auiManager.AddPane(mcsPanel, wxAuiPaneInfo().Name("mcspanel").Caption("MCS Tool").ToolbarPane().Top()
                                     .Gripper(true).Fixed().CloseButton(false));

    BuildSitesPane();

    notebook = new wxAuiNotebook(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                 wxAUI_NB_DEFAULT_STYLE | wxAUI_NB_TAB_EXTERNAL_MOVE | wxNO_BORDER);
    auiManager.AddPane(notebook, wxAuiPaneInfo().Name("notebook_content").CenterPane().PaneBorder(false));

    auiManager.Update();
}

void ShellyardFrame::BuildToolBar()
{
    toolBar = new wxToolBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTB_FLAT | wxTB_NODIVIDER);
    toolBar->SetToolBitmapSize(wxSize(16, 16));
    toolBar->AddTool(ID_TOOL_QUIT, _("Quit"), PictureBitmap("tool_quit"), wxNullBitmap, wxITEM_NORMAL,
                     _("Quit"), _("Quit Application."));
    toolBar->AddSeparator();
    toolBar->AddTool(ID_TOOL_CONNECTION, _("Connection"), PictureBitmap("tool_connection"), wxNullBitmap,
                     wxITEM_NORMAL, _("New connection"), _("Add a connection site."));
    toolBar->AddTool(ID_TOOL_FULLSCREEN, _("FullScreen"), PictureBitmap("tool_fullscreen"), wxNullBitmap,
                     wxITEM_NORMAL, _("View Full Screen"), _("View Full Screen."));
    toolBar->AddTool(ID_TOOL_UPGRADE, _("Upgrade"), PictureBitmap("tool_upgrade"), wxNullBitmap, wxITEM_NORMAL,
                     _("Upgrade Shellyard"), _("Check a new version of Shellyard."));
    toolBar->AddTool(ID_TOOL_DONATION, _("Donation"), PictureBitmap("tool_donation"), wxNullBitmap,
                     wxITEM_NORMAL, _("Donate Us"), _("Donate to support Shellyard development."));
    toolBar->Realize();
}

void ShellyardFrame::InstallEndSignals()
{
#ifndef __WXMSW__
    if (wxTheApp) {
        for (int signal : {SIGTERM, SIGINT, SIGHUP})
            wxTheApp->SetSignalHandler(signal, &ShellyardFrame::OnEndSignal);
    }
#endif
}

void ShellyardFrame::OnEndSignal(int signal)
{
#ifndef __WXMSW__
    static bool ending = false;
    if (ending)
        return;
    ending = true;
    for (wxWindow* window : wxTopLevelWindows) {
        if (auto* frame = dynamic_cast<ShellyardFrame*>(window))
            frame->EndAtOnce(signal);
    }
    // The event loop that called us may be a modal dialog's, or a wait inside a connection: no
    // window can be closed the usual way from here. Everything that matters is done; leave.
    fflush(nullptr);
    _exit(128 + signal);
#endif
}

// What quitting does, done now: every session ends (each tab hands back its terminal and ends its
// PuTTY, each monitor its PLink), the keystroke layer gives back the keycodes it rebound, the
// database and the log are closed.
void ShellyardFrame::EndAtOnce(int signal)
{
    wxLogMessage("Ending on signal %d", signal);
    SaveWindowState();
    RememberSessions();
    while (notebook && notebook->GetPageCount() > 0)
        notebook->DeletePage(notebook->GetPageCount() - 1);
    keySender.SetPlatform(nullptr);
    keyPlatform.reset();
    if (sitesPanel)
        sitesPanel->ForgetStore();
    if (siteStore) {
        siteStore->Close();
        delete siteStore;
        siteStore = nullptr;
    }
    AppConfig::Shutdown();
}

void ShellyardFrame::BringToFront()
{
    wxLogMessage("Shellyard was started again on its data folder: its window comes to the front");
    if (IsIconized())
        Iconize(false);
    Show();
    Raise();
    // A window manager may refuse a program's own request for the focus; the keystroke layer asks
    // it the way a pager does.
    if (keyPlatform)
        keyPlatform->SetForegroundWindow(TerminalWindow::FromToolkitHandle(GetHandle()));
}

bool ShellyardFrame::ConfirmQuit()
{
    return wxMessageBox(_("Are you sure you want to close all loggin sites and quite?"), "Shellyard", wxYES_NO,
                        this) == wxYES;
}

// Alt+F4 is the Quit item's accelerator, but every desktop's window manager takes it for itself and
// sends a close request instead. A request that arrives while Alt and F4 are held down is that
// Alt+F4 and asks first, as Quit does; one from the close box (keys up) closes at once.
bool ShellyardFrame::AltF4Held()
{
    const int kAlt = 0x12, kLeftAlt = 0xA4, kRightAlt = 0xA5, kF4 = 0x73;
    auto down = [this](int vk) { return (keyPlatform->GetKeyState(vk) & 0x8000) != 0; };
    return down(kF4) && (down(kAlt) || down(kLeftAlt) || down(kRightAlt));
}

void ShellyardFrame::OnClose(wxCloseEvent& event)
{
    if (event.CanVeto() && AltF4Held() && !ConfirmQuit()) {
        event.Veto();
        return;
    }
    SaveWindowState();
    RememberSessions();
    Destroy();
}

void ShellyardFrame::OnQuit(wxCommandEvent& event)
{
    if (ConfirmQuit()) {
        SaveWindowState();
        RememberSessions();
        Destroy();
    }
}

void ShellyardFrame::OnViewSitesList(wxCommandEvent& event)
{
    wxAuiPaneInfo& tree = auiManager.GetPane("SiteTree");
    if (sitesListShown) {
        sitesListShown = 0;
        menuBar->Check(ID_MENU_VIEW_SITES_LIST, false);
        tree.Hide();
    } else {
        sitesListShown = 1;
        menuBar->Check(ID_MENU_VIEW_SITES_LIST, true);
        tree.Show();
    }
    auiManager.Update();
}

void ShellyardFrame::OnMonitorOverview(wxCommandEvent& event)
{
    ShellyardMonOverviewPanel::Open(notebook);
}

void ShellyardFrame::OnFullScreen(wxCommandEvent& event)
{
    if (panesShown) {
        panesShown = 0;
        restoreSizeTimer.Stop();
        normalSize = GetSize();
        normalLayout = auiManager.SavePerspective();
        ShowPanes(false);
        ShowFullScreen(true, wxFULLSCREEN_ALL);
    } else {
        panesShown = 1;
        ShowFullScreen(false, wxFULLSCREEN_ALL);
        ShowPanes(true);
        restoreSizeTimer.StartOnce(300);
    }
}

void ShellyardFrame::ShowPanes(bool show)
{
    wxAuiPaneInfo& tree = auiManager.GetPane("SiteTree");
    if (show) {
        if (menuBar->IsChecked(ID_MENU_VIEW_SITES_LIST))
            tree.Show();
    } else {
        tree.Hide();
    }
    auiManager.GetPane("tb").Show(show);
    auiManager.GetPane("loginpanel").Show(show);
    auiManager.GetPane("mcspanel").Show(show);
    auiManager.Update();
}

void ShellyardFrame::OnOptions(wxCommandEvent& event)
{
    OpenOptions(false);
}

void ShellyardFrame::OpenOptions(bool onPluginsPage)
{
    ShellyardOptionDialog dialog(this);
    dialog.SetPuttyLocation(puttyPath);
    dialog.SetPlinkLocation(plinkPath);
    if (onPluginsPage)
        dialog.ShowPluginsPage();
    dialog.ShowModal();
    // What was applied holds from now on, for Tool > Putty Configuration too.
    LocateTerminalPrograms();
}

void ShellyardFrame::OnAbout(wxCommandEvent& event)
{
    ShellyardAboutDialog dialog(this);
    dialog.ShowModal();
}

void ShellyardFrame::OnKeyboardShortcuts(wxCommandEvent& event)
{
    wxMessageBox(_("These keys work everywhere in the window, also while a terminal has the keyboard:\n\n"
                   "Ctrl+Tab\tthe next tab\n"
                   "Ctrl+Shift+Tab\tthe previous tab\n"
                   "Alt+1 ... Alt+9\tthe first ... ninth tab\n\n"
                   "In a tab whose session has ended, Enter connects it again.\n"
                   "Right-click a tab for its menu: Receive broadcast, Reconnect, Duplicate Session, Close, "
                   "Close Other Tabs."),
                 _("Keyboard Shortcuts"), wxOK | wxICON_INFORMATION, this);
}

void ShellyardFrame::SwitchTab(int action)
{
    if (!notebook)
        return;
    if (action == HotKeys::Escape) {
        // The sites not started yet stay so; those started finish.
        if (!sitesToConnect.empty()) {
            wxLogMessage("Connecting stopped by the user: %d sites not started", int(sitesToConnect.size()));
            sitesToConnect.clear();
            AdvanceConnections();
        }
        return;
    }
    // Not while a dialog of ours is open.
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        if (dialog && dialog->IsModal())
            return;
    }
    const std::vector<wxWindow*> pages = PagesInTabOrder();
    if (pages.empty())
        return;
    const auto current = std::find(pages.begin(), pages.end(), notebook->GetCurrentPage());
    const int at = current == pages.end() ? 0 : static_cast<int>(current - pages.begin());
    const int count = static_cast<int>(pages.size());
    int target = action;
    if (action == HotKeys::NextTab)
        target = (at + 1) % count;
    else if (action == HotKeys::PreviousTab)
        target = (at + count - 1) % count;
    if (target < 0 || target >= count)
        return;
    const int index = notebook->GetPageIndex(pages[static_cast<size_t>(target)]);
    if (index != wxNOT_FOUND)
        notebook->SetSelection(static_cast<size_t>(index));
}

void ShellyardFrame::OnToolbarCommand(wxCommandEvent& event)
{
    switch (event.GetId()) {
    case ID_TOOL_QUIT:
        OnQuit(event);
        break;
    case ID_TOOL_CONNECTION:
        OnNewConnection(event);
        break;
    case ID_TOOL_FULLSCREEN:
        OnFullScreen(event);
        break;
    case ID_TOOL_UPGRADE:
    case ID_TOOL_DONATION:
        OpenWebPage();
        break;
    case 285:
        break;
    default:
        wxMessageBox(_("Not implement yet."), wxMessageBoxCaptionStr, wxOK | wxCENTRE, nullptr);
        break;
    }
}

void ShellyardFrame::OpenWebPage()
{
    wxLaunchDefaultBrowser(ProjectAddress::Target());
}
