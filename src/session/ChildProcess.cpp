// The platform-neutral part of ChildProcess: starting a terminal program with its password handed
// over privately.
#include "session/ChildProcess.h"

#include "session/PasswordHandOver.h"

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::vector<std::string>& arguments, std::string* error)
{
    return StartWith(arguments, error, {});
}

std::unique_ptr<ChildProcess> ChildProcess::Start(std::vector<std::string> arguments,
                                                  const std::vector<Secret>& secrets, std::string* error)
{
    std::vector<std::unique_ptr<PasswordHandOver>> handOvers;
    std::vector<int> ends;
    for (const Secret& secret : secrets) {
        std::string name;
        const int descriptor = PasswordHandOver::kChildDescriptor + static_cast<int>(handOvers.size());
        handOvers.push_back(PasswordHandOver::ForText(secret.text, descriptor, &name));
        if (!handOvers.back() || secret.argument >= arguments.size()) {
            if (error)
                *error = "no pipe for a secret could be made";
            return nullptr;
        }
        arguments[secret.argument] = name;
        ends.push_back(handOvers.back()->ChildEnd());
    }
    std::unique_ptr<ChildProcess> child = StartWith(arguments, error, ends);
    for (const auto& handOver : handOvers)
        handOver->Started();
    return child;
}

std::unique_ptr<ChildProcess> ChildProcess::Start(TerminalArguments arguments, std::string* error,
                                                  std::string* notice)
{
    // POSIX gives the program the pipe's end as a descriptor; Windows serves a named pipe once the
    // program runs.
    std::unique_ptr<PasswordHandOver> password = PasswordHandOver::Take(arguments, notice);
    std::vector<int> ends;
    if (password)
        ends.push_back(password->ChildEnd());
    std::unique_ptr<ChildProcess> child = StartWith(arguments.Items(), error, ends);
    if (password)
        password->Started();
    return child;
}
