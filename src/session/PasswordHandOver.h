#pragma once
// Keeps a terminal program's password off every process's argument list, where any local user can
// read it (ps, /proc/<pid>/cmdline). PuTTY and PLink 0.77 and later read it from a file named with
// -pwfile instead: the password is written into a pipe before the program starts, and the program
// reads it from there once; it never touches a disk. A program too old for that keeps -pw, and the
// log says once per program that the password is visible. One implementation per platform
// (PasswordHandOverUnix.cpp: an inherited pipe named /dev/fd/3; PasswordHandOverWin32.cpp: a named
// pipe only this user may open).
#include "session/TerminalArguments.h"

#include <memory>
#include <string>

class PasswordHandOver {
public:
    // The descriptor under which a started program finds the pipe (POSIX).
    static const int kChildDescriptor = 3;

    // When arguments carry a password and their program reads -pwfile, moves the password out of
    // them into a new hand-over and returns it; else returns null and leaves arguments as they are.
    // The first time a program is found too old, *notice says so (for the log).
    static std::unique_ptr<PasswordHandOver> Take(TerminalArguments& arguments, std::string* notice = nullptr);
    // A pipe holding one line of text (a passphrase) for a program about to start, which opens it
    // as *name; on POSIX the program must get ChildEnd() as descriptor childDescriptor. Null when no
    // pipe can be made.
    static std::unique_ptr<PasswordHandOver> ForText(const std::string& text, int childDescriptor,
                                                     std::string* name);
    ~PasswordHandOver();
    PasswordHandOver(const PasswordHandOver&) = delete;
    PasswordHandOver& operator=(const PasswordHandOver&) = delete;

    // POSIX: our end that the child must get as kChildDescriptor; -1 elsewhere.
    int ChildEnd() const;
    // The program has been started (or failed to start): our copies go, so nothing stays open.
    void Started();

    // Whether the program at location reads -pwfile (PuTTY and PLink 0.77 and later).
    static bool ReadsPasswordFile(const std::string& location);

    struct Native;

private:
    explicit PasswordHandOver(std::unique_ptr<Native> native);
    // The platform's part: the pipe itself, opened by the program as *name (given to it as
    // childDescriptor on POSIX), and then the line it holds.
    static std::unique_ptr<PasswordHandOver> Open(int childDescriptor, std::string* name);
    void Hold(std::string line);
    std::unique_ptr<Native> native;
};
