#include "session/TerminalConnection.h"

#include "session/ShellyardConnPanel.h"
#include "session/TerminalProcess.h"

#include <wx/log.h>

wxDEFINE_EVENT(wxEVT_TERMINAL_CONNECTION, wxCommandEvent);

namespace {
const int kLookMilliseconds = 10;
// How long a window manager gets to give a withdrawn window back before it is taken as it is.
const std::chrono::seconds kWithdrawDeadline(1);
}  // namespace

TerminalConnection::TerminalConnection(ShellyardConnPanel* tab, wxEvtHandler* connectionListener, long connectionId)
    : page(tab), listener(connectionListener), id(connectionId)
{
    timer.SetOwner(this);
    Bind(wxEVT_TIMER, &TerminalConnection::OnTimer, this);
}

TerminalConnection::~TerminalConnection()
{
    timer.Stop();
    if (step != Step::Done && listener) {
        // Told later, from the event loop: the listener may be the one destroying the tab.
        wxCommandEvent event(wxEVT_TERMINAL_CONNECTION);
        event.SetInt(static_cast<int>(Outcome::Cancelled));
        event.SetExtraLong(id);
        listener->AddPendingEvent(event);
    }
}

void TerminalConnection::Begin()
{
    // A window shown anywhere makes the next look come at once, from the event loop.
    newWindows = std::make_unique<TerminalWindow::NewWindowWatch>([this] { CallAfter(&TerminalConnection::Look); });
    timer.Start(kLookMilliseconds);
    CallAfter(&TerminalConnection::Look);
}

void TerminalConnection::OnTimer(wxTimerEvent&)
{
    if (step == Step::Looking)
        Look();
    else if (step == Step::Withdrawing)
        Withdrawing();
}

void TerminalConnection::Look()
{
    if (step != Step::Looking)
        return;
    TerminalProcess* process = page->GetTerminalProcess();
    if (!process) {
        Finish(Outcome::NoWindow);
        return;
    }
    window = process->LookForWindow();
    if (window) {
        if (!TerminalWindow::Withdraw(window)) {
            wxLogMessage("The terminal window of process %ld went away before it could be embedded", process->Pid());
            Finish(Outcome::NotEmbedded);
            return;
        }
        step = Step::Withdrawing;
        withdrawDeadline = std::chrono::steady_clock::now() + kWithdrawDeadline;
        Withdrawing();
        return;
    }
    if (process->GaveUpOnWindow()) {
        wxLogMessage("PuTTY (process %ld) %s", process->Pid(),
                     process->HasExited() ? "exited without showing a window" : "showed no window in time");
        Finish(Outcome::NoWindow);
    }
}

void TerminalConnection::Withdrawing()
{
    TerminalWindow::Withdrawal state = TerminalWindow::Withdrawn(window);
    if (state == TerminalWindow::Withdrawal::Gone) {
        Finish(Outcome::NotEmbedded);
        return;
    }
    // No window manager answering within the deadline: the window is taken as it is.
    if (state == TerminalWindow::Withdrawal::Pending && std::chrono::steady_clock::now() < withdrawDeadline)
        return;
    switch (page->AdoptTerminal(window)) {
    case TerminalWindow::EmbedResult::Embedded:
        Finish(Outcome::Embedded);
        break;
    case TerminalWindow::EmbedResult::EmbeddedWithoutMenu:
        Finish(Outcome::EmbeddedWithoutMenu);
        break;
    case TerminalWindow::EmbedResult::Failed:
        Finish(Outcome::NotEmbedded);
        break;
    }
}

void TerminalConnection::Finish(Outcome outcome)
{
    step = Step::Done;
    timer.Stop();
    newWindows.reset();
    if (!listener)
        return;
    wxCommandEvent event(wxEVT_TERMINAL_CONNECTION);
    event.SetInt(static_cast<int>(outcome));
    event.SetExtraLong(id);
    listener->AddPendingEvent(event);
}
