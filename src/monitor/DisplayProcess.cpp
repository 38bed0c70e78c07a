#include "monitor/DisplayProcess.h"

#include "monitor/ShellyardMonPanel.h"
#include "session/ChildProcess.h"

#include <wx/log.h>

DisplayProcess::DisplayProcess(ShellyardMonPanel* page) : owner(page) {}

DisplayProcess::~DisplayProcess() = default;

bool DisplayProcess::Start(const TerminalArguments& arguments, wxString& error)
{
    std::string reason, notice;
    child = ChildProcess::Start(arguments, &reason, &notice);
    if (!notice.empty())
        wxLogMessage("%s", wxString::FromUTF8(notice.c_str()));
    if (!child) {
        error = wxString::FromUTF8(reason.c_str());
        return false;
    }
    pid = child->Pid();
    return true;
}

bool DisplayProcess::ReadOutput()
{
    if (!child || terminated)
        return false;
    // Whether it has exited is asked first: whatever it wrote before is in the pipes by then.
    const bool exited = child->HasExited();
    std::string outputBytes, errorBytes;
    child->Read(ChildProcess::Stream::Output, outputBytes);
    child->Read(ChildProcess::Stream::Error, errorBytes);
    output.Add(outputBytes);
    errors.Add(errorBytes);

    wxString line;
    while (output.Next(line))
        owner->ParseVmstatLine(line);
    while (errors.Next(line)) {
        wxString trimmed = line;
        trimmed.Trim();
        if (!trimmed.empty())
            lastError = trimmed;
        owner->ParseVmstatLine(line);
    }
    if (exited) {
        owner->ParseVmstatLine(output.TakeRest());
        wxString rest = errors.TakeRest();
        if (!rest.Trim().empty())
            lastError = rest;
        OnTerminate(static_cast<int>(pid), child->ExitStatus());
    }
    return !outputBytes.empty() || !errorBytes.empty();
}

bool DisplayProcess::KillProcess()
{
    if (!child)
        return true;
    child->Kill();
    return true;
}

void DisplayProcess::OnTerminate(int processId, int status)
{
    terminated = true;
    owner->OnLoopEnded(status, lastError);
}
