#include "monitor/PlinkRun.h"

#include "monitor/OutputLines.h"
#include "session/ChildProcess.h"
#include "session/PendingEvents.h"

#include <wx/log.h>
#include <wx/utils.h>

namespace {
std::chrono::milliseconds timeout(20000);
int running = 0;

// PLink says these on every keyboard-interactive login; they are not worth a log line.
bool IsLoginChatter(const wxString& line)
{
    return line.StartsWith("Keyboard-interactive authentication prompts from server") ||
           line.StartsWith("End of keyboard-interactive prompts from server");
}

wxString WithoutLineEnd(wxString line)
{
    while (!line.empty() && (line.Last() == '\n' || line.Last() == '\r'))
        line.RemoveLast();
    return line;
}
}  // namespace

void PlinkRun::SetTimeout(std::chrono::milliseconds value)
{
    timeout = value;
}

std::chrono::milliseconds PlinkRun::Timeout()
{
    return timeout;
}

bool PlinkRun::Busy()
{
    return running > 0;
}

PlinkRunResult PlinkRun::Run(const TerminalArguments& arguments, const wxString& remoteCommand)
{
    PlinkRunResult result;
    std::string error, notice;
    std::unique_ptr<ChildProcess> plink = ChildProcess::Start(arguments, &error, &notice);
    if (!notice.empty())
        wxLogMessage("%s", wxString::FromUTF8(notice.c_str()));
    if (!plink) {
        result.failed = true;
        result.reason = wxString::Format("Cannot start PLink (%s): %s",
                                         wxString::FromUTF8(arguments.Items().front().c_str()),
                                         wxString::FromUTF8(error.c_str()));
        return result;
    }

    ++running;
    OutputLines output, errors;
    wxString lastError;
    auto collect = [&] {
        std::string bytes;
        plink->Read(ChildProcess::Stream::Output, bytes);
        output.Add(bytes);
        bytes.clear();
        plink->Read(ChildProcess::Stream::Error, bytes);
        errors.Add(bytes);
        wxString line;
        while (output.Next(line))
            result.output.Add(WithoutLineEnd(line));
        while (errors.Next(line)) {
            line = WithoutLineEnd(line);
            if (line.empty() || IsLoginChatter(line))
                continue;
            lastError = line;
            wxLogMessage("PLink, '%s': %s", remoteCommand, line);
        }
    };

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool timedOut = false;
    for (;;) {
        collect();
        if (plink->HasExited()) {
            collect();  // what it wrote just before it ended
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            plink->Kill();
            timedOut = true;
            break;
        }
        // The user's keys and clicks wait until the run is over (nothing can start another command
        // or close this page meanwhile); everything else is handled, so the program keeps drawing
        // and other pages keep reading. This holds the user up as disabled windows would, without
        // greying out and repainting every window before and after each run.
        HandlePendingEvents(wxEVT_CATEGORY_ALL & ~wxEVT_CATEGORY_USER_INPUT);
        plink->WaitForOutput(std::chrono::milliseconds(10));
    }
    --running;

    wxString rest = WithoutLineEnd(output.TakeRest());
    if (!rest.empty())
        result.output.Add(rest);
    rest = WithoutLineEnd(errors.TakeRest());
    if (!rest.empty() && !IsLoginChatter(rest)) {
        lastError = rest;
        wxLogMessage("PLink, '%s': %s", remoteCommand, rest);
    }

    if (timedOut) {
        result.failed = true;
        result.reason = wxString::Format("PLink did not finish within %d seconds and was ended.",
                                         static_cast<int>((timeout.count() + 999) / 1000));
    } else if (lastError.StartsWith("FATAL ERROR")) {
        result.failed = true;  // PLink itself gave up: no connection, no login
        result.reason = lastError;
    } else if (plink->ExitStatus() != 0 && result.output.empty()) {
        result.failed = true;
        result.reason = lastError.empty() ? wxString::Format("PLink ended with status %d.", plink->ExitStatus())
                                          : lastError;
    }
    return result;
}
