#include "session/TerminalProgramVersion.h"

#include "session/ChildProcess.h"

#include <chrono>
#include <memory>

// The program's --version within a few seconds at most (PuTTY needs a display for it, which the
// program has; PLink needs none).
TerminalProgramVersion TerminalProgramVersion::Ask(const std::string& location)
{
    std::string error;
    std::unique_ptr<ChildProcess> program = ChildProcess::Start({location, "--version"}, &error);
    if (!program)
        return TerminalProgramVersion();
    std::string output;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!program->HasExited() && std::chrono::steady_clock::now() < deadline) {
        program->Read(ChildProcess::Stream::Output, output);
        program->WaitForOutput(std::chrono::milliseconds(20));
    }
    program->Read(ChildProcess::Stream::Output, output);
    return FromVersionText(output);
}
