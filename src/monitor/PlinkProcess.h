#pragma once
// One started PLink whose output is read only when its holder asks, never by waiting: each read
// takes what has arrived on standard output and standard error and hands on every whole line. It
// remembers PLink's last word on standard error (its "FATAL ERROR: ..." line tells why it gave up).
// The holder owns PLink: it is killed and reaped when this object goes.
#include "monitor/OutputLines.h"
#include "session/TerminalArguments.h"

#include <functional>
#include <memory>
#include <wx/string.h>

class ChildProcess;

class PlinkProcess {
public:
    // A whole line, its line feed included (the last one of each stream may lack it).
    using LineHandler = std::function<void(const wxString& line, bool fromErrors)>;

    PlinkProcess();
    ~PlinkProcess();

    // Starts PLink; false (with the reason) when it cannot be started.
    bool Start(const TerminalArguments& arguments, wxString& error);
    // Hands what has arrived to onLine; true if anything was read. Once PLink has exited, what it
    // wrote last is handed on too, and Ended() is true from then on.
    bool Read(const LineHandler& onLine);
    // Ends PLink at once (and whatever it started).
    void Kill();

    bool Ended() const { return ended; }
    bool SawOutput() const { return sawOutput; }  // anything on standard output yet
    int ExitStatus() const;
    const wxString& LastError() const { return lastError; }
    long Pid() const;

    // PLink says these on every keyboard-interactive login; they are no reason for anything.
    static bool IsLoginChatter(const wxString& line);

private:
    void Note(const wxString& errorLine);

    std::unique_ptr<ChildProcess> child;
    OutputLines output;
    OutputLines errors;
    wxString lastError;
    bool ended = false;
    bool sawOutput = false;
};
