#include "session/TerminalConnection.h"

#include "session/ShellyardConnPanel.h"
#include "session/TerminalProcess.h"

#include <algorithm>
#include <vector>
#include <wx/log.h>

wxDEFINE_EVENT(wxEVT_TERMINAL_CONNECTION, wxCommandEvent);

namespace {
// Every connection still looking or withdrawing gets one step at a time, in turn, one step per tick
// of one shared timer: several connections waiting at once never hold up the events for longer than
// one look between them, and each still looks about every 10 ms.
const int kTurnMilliseconds = 10;
// How long a window manager gets to give a withdrawn window back before it is taken as it is.
const std::chrono::seconds kWithdrawDeadline(1);

class Turns : public wxTimer {
public:
    static Turns& Get()
    {
        static Turns* turns = new Turns();  // never destroyed: connections may go at the program's end
        return *turns;
    }
    void Add(TerminalConnection* connection)
    {
        waiting.push_back(connection);
        Soon();
    }
    void Remove(TerminalConnection* connection)
    {
        auto found = std::find(waiting.begin(), waiting.end(), connection);
        if (found == waiting.end())
            return;
        if (static_cast<size_t>(found - waiting.begin()) < next)
            --next;
        waiting.erase(found);
        if (waiting.empty()) {
            Stop();
            soon = false;
        }
    }
    // Something may have changed (a window shows): the next step comes at once.
    void Soon()
    {
        if (!soon) {
            soon = true;
            StartOnce(1);
        }
    }
    void Notify() override
    {
        if (waiting.empty()) {
            soon = false;
            return;
        }
        // Each connection gets its step about every 10 ms: the ticks come that often divided by the
        // number of connections, and each carries one step.
        int interval = std::max(1, kTurnMilliseconds / static_cast<int>(waiting.size()));
        if (soon || GetInterval() != interval || !IsRunning()) {
            soon = false;
            Start(interval);
        }
        next = next % waiting.size();
        TerminalConnection* connection = waiting[next++];
        connection->Step();
    }

private:
    std::vector<TerminalConnection*> waiting;
    size_t next = 0;
    bool soon = false;
};
}  // namespace

TerminalConnection::TerminalConnection(ShellyardConnPanel* tab, wxEvtHandler* connectionListener, long connectionId)
    : page(tab), listener(connectionListener), id(connectionId)
{
}

TerminalConnection::~TerminalConnection()
{
    Turns::Get().Remove(this);
    if (state != State::Done && listener) {
        // Told later, from the event loop: the listener may be the one destroying the tab.
        wxCommandEvent event(wxEVT_TERMINAL_CONNECTION);
        event.SetInt(static_cast<int>(Outcome::Cancelled));
        event.SetExtraLong(id);
        listener->AddPendingEvent(event);
    }
}

void TerminalConnection::Begin()
{
    // A window shown anywhere brings the next step forward to the next turn of the event loop.
    newWindows = std::make_unique<TerminalWindow::NewWindowWatch>([] { Turns::Get().Soon(); });
    Turns::Get().Add(this);
}

void TerminalConnection::Step()
{
    if (state == State::Looking)
        Look();
    else if (state == State::Withdrawing)
        Withdrawing();
}

void TerminalConnection::Look()
{
    if (state != State::Looking)
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
        state = State::Withdrawing;
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
    state = State::Done;
    Turns::Get().Remove(this);
    newWindows.reset();
    if (!listener)
        return;
    wxCommandEvent event(wxEVT_TERMINAL_CONNECTION);
    event.SetInt(static_cast<int>(outcome));
    event.SetExtraLong(id);
    listener->AddPendingEvent(event);
}
