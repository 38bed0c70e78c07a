#pragma once
// The long-running PLink of a monitor page (the loop command, "vmstat N"). Its output is read only
// when the page asks (on its timer and on idle events), never by waiting; every whole line, from
// standard output and standard error alike, goes to the page's ParseVmstatLine. The page owns this
// object; the object owns PLink, which ends with it.
#include "monitor/PlinkProcess.h"

#include <wx/string.h>

class ShellyardMonPanel;

class DisplayProcess {
public:
    explicit DisplayProcess(ShellyardMonPanel* owner);

    // Starts PLink; false (with the reason) when it cannot be started.
    bool Start(const TerminalArguments& arguments, wxString& error);
    // Hands what has arrived to the owner, line by line; true if anything was read. Once PLink has
    // exited and everything it wrote has been handed on, OnTerminate tells the owner.
    bool ReadOutput();
    // Ends PLink at once (it is also ended when this object goes).
    void KillProcess();
    // PLink exited by itself.
    void OnTerminate(int processId, int status);
    bool HasTerminated() const { return terminated; }
    // Whether PLink has written anything to standard output: it has logged in and runs the command.
    bool SawOutput() const { return process.SawOutput(); }

    long pid = 0;
    ShellyardMonPanel* owner;

private:
    PlinkProcess process;
    bool terminated = false;
};
