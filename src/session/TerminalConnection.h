#pragma once
// Connects one terminal tab: waits for the window of exactly the PuTTY that the tab's process
// started, without ever holding up the event loop (it looks about every 10 ms, one look of one
// connection per turn of the event loop, and sooner when a top-level window shows), embeds it in
// the tab in two steps (the window manager lets go of it first), and tells its listener the outcome
// with a wxEVT_TERMINAL_CONNECTION event whose int is the Outcome and whose extra long is the
// connection's id. The tab owns the connection; a connection that goes before it is done tells its
// listener Cancelled.
#include "session/TerminalWindow.h"

#include <chrono>
#include <memory>
#include <wx/event.h>

class ShellyardConnPanel;

wxDECLARE_EVENT(wxEVT_TERMINAL_CONNECTION, wxCommandEvent);

class TerminalConnection : public wxEvtHandler {
public:
    enum class Outcome {
        Embedded,             // the terminal is in its tab
        EmbeddedWithoutMenu,  // in its tab, but without a window menu for the layout command
        NoWindow,             // the program exited, or showed no window in time
        NotEmbedded,          // its window went away or could not be re-parented
        Cancelled             // the tab went first
    };

    TerminalConnection(ShellyardConnPanel* page, wxEvtHandler* listener, long id);
    ~TerminalConnection() override;
    // Starts looking for the window.
    void Begin();
    // The listener goes (the main window is being destroyed): nothing is told any more.
    void ForgetListener() { listener = nullptr; }
    bool IsDone() const { return state == State::Done; }
    // One step: a look for the window, or a check whether the window manager has let go of it.
    void Step();

private:
    enum class State { Looking, Withdrawing, Done };

    void Look();
    void Withdrawing();
    void Finish(Outcome outcome);

    ShellyardConnPanel* page;
    wxEvtHandler* listener;
    long id;
    State state = State::Looking;
    NativeWindow window = 0;
    std::chrono::steady_clock::time_point withdrawDeadline;
    std::unique_ptr<TerminalWindow::NewWindowWatch> newWindows;
};
