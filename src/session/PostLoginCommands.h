#pragma once
// The post-login commands of one terminal tab: typed into its shell, one after the other, each as
// soon as the shell waits for input. The tab's PuTTY writes what the session shows into a
// SessionLog; the log is read every 50 ms, and a command is due once the last line is a shell
// prompt and nothing more has come for 300 ms, which tells a logged-in shell from a login prompt,
// and one that waits for input from one still busy with its start (a slow host just takes longer).
// After a command, the next one waits for the prompt that follows it (so "sudo -i" may ask for a
// password first). The listener (the main window) hears that a command is due by a
// wxEVT_POST_LOGIN_COMMAND event whose extra long is the tab's id, types it, and calls Typed(),
// or TryAgain() when it could not type now. Owned by the tab: nothing is typed once the tab has
// gone. After the last command, or after two minutes without a prompt, the log is discarded.
#include "session/SessionLog.h"
#include "session/ShellPromptWatch.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>
#include <wx/event.h>
#include <wx/timer.h>

wxDECLARE_EVENT(wxEVT_POST_LOGIN_COMMAND, wxCommandEvent);

class PostLoginCommands : public wxEvtHandler {
public:
    // commands: UTF-8, in order; name: the site's, for the log.
    PostLoginCommands(std::vector<std::string> commands, std::unique_ptr<SessionLog> log, wxEvtHandler* listener,
                      long id, const wxString& name);
    ~PostLoginCommands() override;

    // The command that is due now; empty when none is.
    std::string Due() const;
    // The listener typed the command that was due.
    void Typed();
    // The listener could not type it now (a dialog is open, the terminal would not take the keys):
    // it is offered again a moment later.
    void TryAgain();
    bool IsDone() const { return state == State::Done; }
    // Where PuTTY is to write the session's output.
    std::string LogPath() const { return log ? log->Path() : std::string(); }
    long Id() const { return id; }

    // How long the shell gets to show its prompt, after the start and after each command.
    static std::chrono::milliseconds PromptDeadline();

private:
    enum class State { Waiting, Due, Done };
    void OnTimer(wxTimerEvent& event);
    void Finish();

    std::vector<std::string> commands;
    size_t next = 0;
    std::unique_ptr<SessionLog> log;
    ShellPromptWatch prompt;
    wxEvtHandler* listener;
    long id;
    wxString name;
    State state = State::Waiting;
    bool outputSinceTyped = false;
    std::chrono::steady_clock::time_point lastOutput, waitingSince, retryAt;
    wxTimer timer;
};
