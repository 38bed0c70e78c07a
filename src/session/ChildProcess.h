#pragma once
// A command-line program started from an argument vector, whose standard output and standard error
// are read through pipes without ever blocking the caller. Its standard input is the null device:
// nothing is ever typed into it, so a program that would ask a question gets end of file instead.
// The program runs in a process group of its own, so that ending it also ends whatever it started.
// Whoever holds the object owns the program: destroying the object kills and reaps a program that
// still runs, so none outlives its holder and none is left a zombie. Windowless; one implementation
// per platform (ChildProcessUnix.cpp, ChildProcessWin32.cpp).
#include "session/TerminalArguments.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class ChildProcess {
public:
    enum class Stream { Output, Error };

    // Starts arguments[0] (looked up on PATH when it holds no directory) with the rest as its
    // arguments. Null when it cannot be started; *error then says why.
    static std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& arguments, std::string* error);
    // The same for a terminal program (PLink): a password among the arguments reaches it through a
    // PasswordHandOver where the program can read one, never through its argument list; *notice
    // tells, once per program, when it cannot.
    static std::unique_ptr<ChildProcess> Start(TerminalArguments arguments, std::string* error,
                                               std::string* notice = nullptr);
    // The same with secrets (passphrases), each handed over through a pipe of its own: the argument
    // at index argument is replaced by the name under which the program opens that pipe.
    struct Secret {
        size_t argument;
        std::string text;
    };
    static std::unique_ptr<ChildProcess> Start(std::vector<std::string> arguments, const std::vector<Secret>& secrets,
                                               std::string* error);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    long Pid() const;
    // Appends to text whatever the stream holds at this moment; returns the number of bytes read.
    size_t Read(Stream stream, std::string& text);
    // True once the program has closed the stream and everything in it has been read.
    bool AtEnd(Stream stream) const;
    // Waits until either stream has something to read or is closed, or the time has passed.
    void WaitForOutput(std::chrono::milliseconds timeout);
    // True once the program has exited; the first call that sees it reaps it.
    bool HasExited();
    // The exit code, or minus the signal number that ended the program; 0 while it runs.
    int ExitStatus() const;
    // Ends the program and everything in its process group at once, and reaps it.
    void Kill();

    struct Native;  // the platform's handles

private:
    explicit ChildProcess(std::unique_ptr<Native> native);
    // secretEnds: descriptors the program gets as PasswordHandOver::kChildDescriptor and on (POSIX).
    static std::unique_ptr<ChildProcess> StartWith(const std::vector<std::string>& arguments, std::string* error,
                                                   const std::vector<int>& secretEnds);
    std::unique_ptr<Native> native;
};
