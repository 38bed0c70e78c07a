// The platform-neutral part of ChildProcess: starting a terminal program with its password handed
// over privately.
#include "session/ChildProcess.h"

#include "session/PasswordHandOver.h"

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::vector<std::string>& arguments, std::string* error)
{
    return StartWith(arguments, error, -1);
}

std::unique_ptr<ChildProcess> ChildProcess::Start(TerminalArguments arguments, std::string* error,
                                                  std::string* notice)
{
    // POSIX gives the program the pipe's end as a descriptor; Windows serves a named pipe once the
    // program runs.
    std::unique_ptr<PasswordHandOver> password = PasswordHandOver::Take(arguments, notice);
    std::unique_ptr<ChildProcess> child = StartWith(arguments.Items(), error, password ? password->ChildEnd() : -1);
    if (password)
        password->Started();
    return child;
}
