#include "session/PostLoginCommands.h"

#include <wx/log.h>

wxDEFINE_EVENT(wxEVT_POST_LOGIN_COMMAND, wxCommandEvent);

using Clock = std::chrono::steady_clock;

namespace {
const int kReadMilliseconds = 50;
// Quiet after the prompt: a shell that has printed its prompt and reads its input says nothing
// more; one that is still starting (a slow .bashrc) may pause after a line that ends like one.
const std::chrono::milliseconds kQuiet(300);
const std::chrono::milliseconds kRetry(200);
const std::chrono::minutes kPromptDeadline(2);
// Once discarded, what PuTTY writes on is dropped this often.
const int kTrimMilliseconds = 10000;
}  // namespace

std::chrono::milliseconds PostLoginCommands::PromptDeadline()
{
    return kPromptDeadline;
}

PostLoginCommands::PostLoginCommands(std::vector<std::string> commands, std::unique_ptr<SessionLog> log,
                                     wxEvtHandler* listener, long id, const wxString& name)
    : commands(std::move(commands)), log(std::move(log)), listener(listener), id(id), name(name)
{
    lastOutput = waitingSince = Clock::now();
    timer.SetOwner(this);
    Bind(wxEVT_TIMER, &PostLoginCommands::OnTimer, this);
    if (this->commands.empty())
        Finish();
    else
        timer.Start(kReadMilliseconds);
}

PostLoginCommands::~PostLoginCommands()
{
    timer.Stop();
}

std::string PostLoginCommands::Due() const
{
    return state == State::Due && next < commands.size() ? commands[next] : std::string();
}

void PostLoginCommands::Typed()
{
    if (state != State::Due)
        return;
    wxLogMessage("Post-login command %d of %s typed", int(next + 1), name);
    ++next;
    if (next >= commands.size()) {
        Finish();
        return;
    }
    state = State::Waiting;
    outputSinceTyped = false;
    waitingSince = Clock::now();
}

void PostLoginCommands::TryAgain()
{
    if (state == State::Due)
        retryAt = Clock::now() + kRetry;
}

void PostLoginCommands::Finish()
{
    state = State::Done;
    if (log)
        log->Discard();
    timer.Start(kTrimMilliseconds);
}

void PostLoginCommands::OnTimer(wxTimerEvent&)
{
    if (state == State::Done) {
        if (log)
            log->Trim();
        return;
    }
    const auto now = Clock::now();
    std::string output;
    if (log && log->ReadNew(output) > 0) {
        prompt.Feed(output);
        lastOutput = now;
        outputSinceTyped = true;
    }
    if (state == State::Due) {
        // Asked for again when the listener could not type it.
        if (retryAt != Clock::time_point() && now >= retryAt) {
            retryAt = Clock::time_point();
            wxCommandEvent event(wxEVT_POST_LOGIN_COMMAND);
            event.SetExtraLong(id);
            listener->AddPendingEvent(event);
        }
        return;
    }
    if (outputSinceTyped && prompt.AtPrompt() && now - lastOutput >= kQuiet) {
        state = State::Due;
        retryAt = Clock::time_point();
        wxCommandEvent event(wxEVT_POST_LOGIN_COMMAND);
        event.SetExtraLong(id);
        listener->AddPendingEvent(event);
        return;
    }
    if (now - waitingSince >= kPromptDeadline) {
        wxLogMessage("Post-login commands of %s stopped: no shell prompt appeared within %d minutes (%d of %d typed)",
                     name, int(kPromptDeadline.count()), int(next), int(commands.size()));
        Finish();
    }
}
