#include "monitor/DisplayProcess.h"

#include "monitor/ShellyardMonPanel.h"

DisplayProcess::DisplayProcess(ShellyardMonPanel* page) : owner(page) {}

bool DisplayProcess::Start(const TerminalArguments& arguments, wxString& error)
{
    if (!process.Start(arguments, error))
        return false;
    pid = process.Pid();
    return true;
}

bool DisplayProcess::ReadOutput()
{
    if (terminated)
        return false;
    bool read = process.Read([this](const wxString& line, bool) { owner->ParseVmstatLine(line); });
    if (process.Ended() && !terminated)
        OnTerminate(static_cast<int>(pid), process.ExitStatus());
    return read;
}

void DisplayProcess::KillProcess()
{
    process.Kill();
    terminated = true;
}

void DisplayProcess::OnTerminate(int, int status)
{
    terminated = true;
    owner->OnLoopEnded(status, process.LastError());
}
