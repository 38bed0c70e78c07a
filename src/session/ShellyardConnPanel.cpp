#include "session/ShellyardConnPanel.h"

#include "session/PendingEvents.h"

#include "session/PostLoginCommands.h"
#include "session/TerminalConnection.h"
#include "session/TerminalProcess.h"

#include <wx/evtloop.h>
#include <wx/utils.h>
#include <wx/toplevel.h>

namespace {
// Time PuTTY gets to end by itself after its window went with the tab.
const std::chrono::milliseconds kExitGrace(1500);
// Quiet time after the last resize of the tab before its size is given to the terminal once more.
const int kSizeSettleMilliseconds = 150;
}  // namespace

ShellyardConnPanel::ShellyardConnPanel(wxWindow* parent)
    : ConnPanel(parent, wxID_ANY, wxDefaultPosition, wxSize(615, 473), wxTAB_TRAVERSAL),
      frame(wxGetTopLevelParent(parent))
{
    Bind(wxEVT_SHOW, &ShellyardConnPanel::OnShown, this);
    sizeSettleTimer.SetOwner(this);
    Bind(wxEVT_TIMER, &ShellyardConnPanel::OnSizeSettled, this);
    if (frame) {
        frame->Bind(wxEVT_ACTIVATE, &ShellyardConnPanel::OnFrameActivate, this);
        frame->Bind(wxEVT_CHILD_FOCUS, &ShellyardConnPanel::OnFrameChildFocus, this);
    }
    focusWatch = TerminalWindow::WatchWindowManagerFocus([this] { OnWindowManagerFocus(); });
}

ShellyardConnPanel::~ShellyardConnPanel()
{
    TerminalWindow::UnwatchWindowManagerFocus(focusWatch);
    if (frame) {
        frame->Unbind(wxEVT_ACTIVATE, &ShellyardConnPanel::OnFrameActivate, this);
        frame->Unbind(wxEVT_CHILD_FOCUS, &ShellyardConnPanel::OnFrameChildFocus, this);
    }
    // Nothing more is typed into this tab.
    postLoginCommands.reset();
    // A connection still running ends here, and tells its listener so.
    connection.reset();
    // The terminal leaves before the tab's window is destroyed around it. Handed back, PuTTY no
    // longer ends by itself and is asked to end at once; otherwise it ends as its window goes, given
    // a moment to notice (none at shut-down, none for a PuTTY whose window never came).
    bool handedBack = terminalWindow && TerminalWindow::HandBack(terminalWindow);
    if (terminalProcess) {
        bool closing = frame && frame->IsBeingDeleted();
        bool quick = handedBack || closing || !terminalWindow;
        terminalProcess->SetEndGrace(quick ? std::chrono::milliseconds(0) : kExitGrace);
        terminalProcess.reset();
    }
    terminalWindow = 0;
}

void ShellyardConnPanel::SetTerminalProcess(std::unique_ptr<TerminalProcess> process)
{
    terminalProcess = std::move(process);
}

void ShellyardConnPanel::SetSite(const wxString& name, const wxString& user, const wxString& host,
                                 const wxString& port, const wxString& protocol)
{
    const wxString address = host + ":" + port;
    siteToolTip = name + "\n" + (user.empty() ? address : user + "@" + address) + "\n" + protocol.Upper();
}

void ShellyardConnPanel::SetPostLoginCommands(std::unique_ptr<PostLoginCommands> commands)
{
    postLoginCommands = std::move(commands);
}

void ShellyardConnPanel::Connect(wxEvtHandler* listener, long id)
{
    connection = std::make_unique<TerminalConnection>(this, listener, id);
    connection->Begin();
}

wxSize ShellyardConnPanel::TerminalSize() const
{
    return ToPhys(GetClientSize());
}

TerminalWindow::EmbedResult ShellyardConnPanel::AdoptTerminal(NativeWindow window)
{
    NativeWindow page = TerminalWindow::FromToolkitHandle(GetHandle());
    if (!page)
        return TerminalWindow::EmbedResult::Failed;
    wxSize size = TerminalSize();
    TerminalWindow::EmbedResult result = TerminalWindow::Adopt(window, page, size.x, size.y);
    if (result != TerminalWindow::EmbedResult::Failed) {
        SetTerminalWindow(window);
        // PuTTY may still be drawing its first screen at its own size: once it has settled it gets
        // the tab's size once more and draws itself anew.
        sizeSettleTimer.StartOnce(kSizeSettleMilliseconds);
    }
    return result;
}

void ShellyardConnPanel::FocusTerminal()
{
    if (!terminalWindow || !IsShownOnScreen())
        return;
    // The toolkit's focus moves to the tab too, so that a later click on one of our fields is a
    // focus change we hear of (and then take the X focus back from the terminal).
    SetFocus();
    TerminalWindow::Focus(terminalWindow);
}

bool ShellyardConnPanel::HasLiveTerminal() const
{
    if (!terminalWindow || (terminalProcess && terminalProcess->HasExited()))
        return false;
    return TerminalWindow::ParentOf(terminalWindow) != 0;
}

bool ShellyardConnPanel::WaitUntilTerminalShown()
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!TerminalWindow::IsOnScreen(terminalWindow)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        HandlePendingEvents(wxEVT_CATEGORY_UI);
        wxMilliSleep(1);
    }
    return true;
}

void ShellyardConnPanel::FocusTerminalUnlessBusyElsewhere()
{
    // The user works in one of our fields (an MCS send brings tabs to the front one after the
    // other): that field keeps the keys. Otherwise the tab that came to the front takes them.
    wxWindow* focused = FindFocus();
    wxWindow* notebook = GetParent();
    if (!focused || focused == this || focused == notebook || (notebook && notebook->IsDescendant(focused)))
        FocusTerminal();
}

void ShellyardConnPanel::OnSize(wxSizeEvent& event)
{
    if (terminalWindow) {
        wxSize size = TerminalSize();
        TerminalWindow::Resize(terminalWindow, size.x, size.y);
        // PuTTY answers a resize by fitting itself to whole character cells, and during a burst of
        // resizes (full screen, dragging the frame) its answer to an early size can arrive after a
        // later one and shrink it back. Once the tab is quiet its final size is given once more.
        sizeSettleTimer.StartOnce(kSizeSettleMilliseconds);
    }
    event.Skip();
}

void ShellyardConnPanel::OnSizeSettled(wxTimerEvent&)
{
    if (terminalWindow) {
        wxSize size = TerminalSize();
        TerminalWindow::Resize(terminalWindow, size.x, size.y);
        TerminalWindow::Repaint(terminalWindow);
    }
}

void ShellyardConnPanel::OnShown(wxShowEvent& event)
{
    // The tab was brought to the front: its terminal takes the keys (once the page is mapped).
    if (event.IsShown())
        CallAfter(&ShellyardConnPanel::FocusTerminalUnlessBusyElsewhere);
    event.Skip();
}

void ShellyardConnPanel::OnFrameActivate(wxActivateEvent& event)
{
    // A window manager focuses the frame itself when it is activated or clicked; the shown terminal
    // takes the keys back.
    if (event.GetActive())
        FocusTerminalUnlessBusyElsewhere();
    event.Skip();
}

void ShellyardConnPanel::OnWindowManagerFocus()
{
    // A click into the terminal made the window manager focus the frame: the terminal under the
    // pointer takes the keys back once the toolkit has handled the manager's message.
    if (terminalWindow && IsShownOnScreen() && TerminalWindow::PointerInside(terminalWindow))
        CallAfter(&ShellyardConnPanel::FocusTerminal);
}

void ShellyardConnPanel::OnFrameChildFocus(wxChildFocusEvent& event)
{
    // A control of ours (the Quick Login or MCS field, the site tree) took the focus: the keys must
    // go to it, not to the terminal that last held the X focus.
    wxWindow* focused = event.GetWindow();
    if (terminalWindow && IsShownOnScreen() && focused && focused != this && !IsDescendant(focused))
        TerminalWindow::Focus(TerminalWindow::FromToolkitHandle(frame->GetHandle()));
    event.Skip();
}
