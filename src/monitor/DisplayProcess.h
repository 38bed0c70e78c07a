#pragma once
// The long-running PLink of a monitor page (the loop command, "vmstat 5"). Its output is read only
// when the page asks (on idle events), never by blocking; every whole line, from standard output
// and standard error alike, goes to the page's ParseVmstatLine. The page owns this object; the
// object owns PLink, which ends with it.
#include "monitor/OutputLines.h"
#include "session/TerminalArguments.h"

#include <memory>
#include <wx/string.h>

class ChildProcess;
class ShellyardMonPanel;

class DisplayProcess {
public:
    explicit DisplayProcess(ShellyardMonPanel* owner);
    ~DisplayProcess();

    // Starts PLink; false (with the reason) when it cannot be started.
    bool Start(const TerminalArguments& arguments, wxString& error);
    // Hands what has arrived to the owner, line by line; true if anything was read. Once PLink has
    // exited and everything it wrote has been handed on, OnTerminate tells the owner.
    bool ReadOutput();
    // Ends PLink at once (it is also ended when this object goes). True when it is gone.
    bool KillProcess();
    // PLink exited by itself.
    void OnTerminate(int processId, int status);
    bool HasTerminated() const { return terminated; }

    long pid = 0;
    ShellyardMonPanel* owner;

private:
    std::unique_ptr<ChildProcess> child;
    OutputLines output;
    OutputLines errors;
    wxString lastError;  // PLink's last word on standard error: why it ended, if it did
    bool terminated = false;
};
