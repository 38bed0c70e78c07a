#include "monitor/PlinkProcess.h"

#include "session/ChildProcess.h"

#include <wx/log.h>

PlinkProcess::PlinkProcess() = default;
PlinkProcess::~PlinkProcess() = default;

bool PlinkProcess::Start(const TerminalArguments& arguments, wxString& error)
{
    std::string reason, notice;
    child = ChildProcess::Start(arguments, &reason, &notice);
    if (!notice.empty())
        wxLogMessage("%s", wxString::FromUTF8(notice.c_str()));
    if (!child) {
        error = wxString::FromUTF8(reason.c_str());
        ended = true;
        return false;
    }
    return true;
}

bool PlinkProcess::IsLoginChatter(const wxString& line)
{
    return line.StartsWith("Keyboard-interactive authentication prompts from server") ||
           line.StartsWith("End of keyboard-interactive prompts from server");
}

void PlinkProcess::Note(const wxString& errorLine)
{
    wxString trimmed = errorLine;
    trimmed.Trim();
    if (!trimmed.empty() && !IsLoginChatter(trimmed))
        lastError = trimmed;
}

bool PlinkProcess::Read(const LineHandler& onLine)
{
    if (!child || ended)
        return false;
    // Whether it has exited is asked first: whatever it wrote before is in the pipes by then.
    const bool exited = child->HasExited();
    std::string outputBytes, errorBytes;
    child->Read(ChildProcess::Stream::Output, outputBytes);
    child->Read(ChildProcess::Stream::Error, errorBytes);
    sawOutput |= !outputBytes.empty();
    output.Add(outputBytes);
    errors.Add(errorBytes);

    wxString line;
    while (output.Next(line))
        onLine(line, false);
    while (errors.Next(line)) {
        Note(line);
        onLine(line, true);
    }
    if (exited) {
        ended = true;
        wxString rest = output.TakeRest();
        if (!rest.empty())
            onLine(rest, false);
        rest = errors.TakeRest();
        if (!rest.empty()) {
            Note(rest);
            onLine(rest, true);
        }
    }
    return !outputBytes.empty() || !errorBytes.empty();
}

void PlinkProcess::Kill()
{
    if (child)
        child->Kill();
    ended = true;
}

int PlinkProcess::ExitStatus() const
{
    return child ? child->ExitStatus() : -1;
}

long PlinkProcess::Pid() const
{
    return child ? child->Pid() : 0;
}
