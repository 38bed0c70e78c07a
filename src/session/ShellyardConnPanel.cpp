#include "session/ShellyardConnPanel.h"

#include "session/PendingEvents.h"

#include "session/PostLoginCommands.h"
#include "session/TerminalConnection.h"
#include "session/TerminalProcess.h"

#include <wx/dcclient.h>
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
    Bind(wxEVT_PAINT, &ShellyardConnPanel::OnPaint, this);
    Bind(wxEVT_KEY_DOWN, &ShellyardConnPanel::OnKeyDown, this);
    if (frame) {
        // GTK may leave its own focus on the frame (not on this page) once the terminal has gone:
        // Enter is heard at the frame too, as long as this ended page is shown and none of our
        // fields has the keys.
        frame->Bind(wxEVT_CHAR_HOOK, &ShellyardConnPanel::OnFrameKey, this);
    }
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
        frame->Unbind(wxEVT_CHAR_HOOK, &ShellyardConnPanel::OnFrameKey, this);
    }
    ReleaseTerminal(frame && frame->IsBeingDeleted());
}

void ShellyardConnPanel::ReleaseTerminal(bool atOnce)
{
    // Nothing more is typed into this tab.
    postLoginCommands.reset();
    // A connection still running ends here, and tells its listener so.
    connection.reset();
    // The terminal leaves before the tab's window is destroyed around it. Handed back, PuTTY no
    // longer ends by itself and is asked to end at once; otherwise it ends as its window goes, given
    // a moment to notice (none at shut-down, none for a PuTTY whose window never came).
    bool handedBack = terminalWindow && TerminalWindow::HandBack(terminalWindow);
    if (terminalProcess) {
        bool quick = handedBack || atOnce || !terminalWindow;
        terminalProcess->SetEndGrace(quick ? std::chrono::milliseconds(0) : kExitGrace);
        terminalProcess.reset();
    }
    terminalWindow = 0;
}

void ShellyardConnPanel::EndTerminal()
{
    ReleaseTerminal(true);
    ended = false;
    Refresh();
}

void ShellyardConnPanel::MarkEnded()
{
    ended = true;
    Refresh();
}

void ShellyardConnPanel::OnPaint(wxPaintEvent&)
{
    // Without its terminal the tab would show whatever was on screen there before.
    wxPaintDC dc(this);
    if (!ended && terminalWindow)
        return;
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
    if (!ended)
        return;
    dc.SetTextForeground(GetForegroundColour());
    const wxString text = wxString::Format(
        _("The session %s has ended.\nPress Enter here, or choose Reconnect in the tab's menu, to connect again."),
        site.hostname);
    const wxSize extent = dc.GetMultiLineTextExtent(text);
    const wxSize area = GetClientSize();
    dc.DrawLabel(text, wxRect((area.x - extent.x) / 2, (area.y - extent.y) / 2, extent.x, extent.y),
                 wxALIGN_CENTER);
}

void ShellyardConnPanel::OnFrameKey(wxKeyEvent& event)
{
    wxWindow* focused = FindFocus();
    const bool fieldHasKeys = focused && focused != this && focused != frame && !IsDescendant(focused) &&
                              focused != GetParent();
    if (ended && IsShownOnScreen() && !fieldHasKeys)
        OnKeyDown(event);
    else
        event.Skip();
}

void ShellyardConnPanel::OnKeyDown(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    if (ended && onReconnect && (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !event.HasAnyModifiers()) {
        // The action may replace this tab's terminal; it runs once the key has been handled.
        CallAfter([this] {
            if (ended && onReconnect)
                onReconnect();
        });
        return;
    }
    event.Skip();
}

void ShellyardConnPanel::SetTerminalProcess(std::unique_ptr<TerminalProcess> process)
{
    terminalProcess = std::move(process);
}

void ShellyardConnPanel::SetSite(const SiteRecord& connected)
{
    site = connected;
    site.hostpasswd.clear();
    const wxString address = site.hostip + ":" + site.hostport;
    siteToolTip = site.hostname + "\n" + (site.hostuser.empty() ? address : site.hostuser + "@" + address) + "\n" +
                  site.hosttype.Upper();
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
    if (ended && IsShownOnScreen()) {
        // Enter reconnects: the keys come to the tab itself (the X focus, which was the terminal's,
        // goes back to our window).
        SetFocus();
        if (frame)
            TerminalWindow::Focus(TerminalWindow::FromToolkitHandle(frame->GetHandle()));
        return;
    }
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
