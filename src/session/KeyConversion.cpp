#include "session/KeyConversion.h"

#include "session/ChildProcess.h"
#include "session/KeyFile.h"

#include <chrono>
#include <memory>

namespace {
// A key's key derivation takes puttygen well under a second; one that has not ended by then never will.
const std::chrono::seconds kConversionDeadline(60);

// puttygen's message as one line: its last non-empty line of standard error.
std::string LastLine(const std::string& text)
{
    size_t end = text.find_last_not_of("\r\n");
    if (end == std::string::npos)
        return std::string();
    const size_t newline = text.find_last_of('\n', end);
    const size_t begin = newline == std::string::npos ? 0 : newline + 1;
    return text.substr(begin, end - begin + 1);
}
}  // namespace

bool KeyConversion::ToPutty(const std::string& puttygen, const std::string& source, const std::string& target,
                            const std::string& passphrase, std::string* error,
                            const std::function<void()>& whileWaiting)
{
    std::vector<std::string> arguments = {puttygen, source, "-O", "private", "-o", target};
    std::vector<ChildProcess::Secret> secrets;
    if (!passphrase.empty()) {
        arguments.insert(arguments.end(), {"--old-passphrase", "", "--new-passphrase", ""});
        secrets.push_back({arguments.size() - 3, passphrase});
        secrets.push_back({arguments.size() - 1, passphrase});
    }
    std::string reason;
    std::unique_ptr<ChildProcess> child = ChildProcess::Start(arguments, secrets, &reason);
    if (!child) {
        if (error)
            *error = "puttygen could not be started: " + reason;
        return false;
    }
    std::string output, errors;
    const auto deadline = std::chrono::steady_clock::now() + kConversionDeadline;
    while (!child->HasExited()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            child->Kill();
            if (error)
                *error = "puttygen did not finish within a minute";
            return false;
        }
        child->Read(ChildProcess::Stream::Output, output);
        child->Read(ChildProcess::Stream::Error, errors);
        child->WaitForOutput(std::chrono::milliseconds(10));
        if (whileWaiting)
            whileWaiting();
    }
    child->Read(ChildProcess::Stream::Error, errors);
    const int status = child->ExitStatus();
    if (status == 0 && KeyFile::Of(target).kind == KeyFile::Kind::Putty)
        return true;
    if (error) {
        std::string said = LastLine(errors);
        *error = "puttygen exit status " + std::to_string(status) + (said.empty() ? std::string() : ": " + said);
    }
    return false;
}
