#include "session/PasswordHandOver.h"

#include "session/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <regex>
#include <unistd.h>

namespace {
// Descriptors below this stay clear of the ones a child is given (0, 1, 2 and 3).
const int kFirstPrivateDescriptor = 10;
}  // namespace

// Learns the program's release from its --version (PuTTY needs a display for it, which the program
// has; PLink needs none) within a few seconds at most.
bool PasswordHandOver::AskReadsPasswordFile(const std::string& location)
{
    std::string error;
    std::unique_ptr<ChildProcess> program = ChildProcess::Start({location, "--version"}, &error);
    if (!program)
        return false;
    std::string output;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!program->HasExited() && std::chrono::steady_clock::now() < deadline) {
        program->Read(ChildProcess::Stream::Output, output);
        program->WaitForOutput(std::chrono::milliseconds(20));
    }
    program->Read(ChildProcess::Stream::Output, output);
    std::smatch release;
    if (!std::regex_search(output, release, std::regex("Release ([0-9]+)\\.([0-9]+)")))
        return false;
    int major = std::stoi(release[1]), minor = std::stoi(release[2]);
    return major > 0 || minor >= 77;
}

struct PasswordHandOver::Native {
    int readEnd = -1;
    ~Native()
    {
        if (readEnd >= 0)
            close(readEnd);
    }
};

PasswordHandOver::PasswordHandOver(std::unique_ptr<Native> n) : native(std::move(n)) {}
PasswordHandOver::~PasswordHandOver() = default;

std::unique_ptr<PasswordHandOver> PasswordHandOver::Open(TerminalArguments& arguments)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return nullptr;
    // Kept clear of 0 to 3, so that giving the read end to the child as 3 is a real copy.
    int readEnd = fcntl(ends[0], F_DUPFD_CLOEXEC, kFirstPrivateDescriptor);
    int writeEnd = fcntl(ends[1], F_DUPFD_CLOEXEC, kFirstPrivateDescriptor);
    close(ends[0]);
    close(ends[1]);
    if (readEnd < 0 || writeEnd < 0) {
        if (readEnd >= 0)
            close(readEnd);
        if (writeEnd >= 0)
            close(writeEnd);
        return nullptr;
    }
    // A password is far smaller than a pipe's buffer: the whole line is in the pipe at once, and
    // the closed write end tells the reader that nothing more comes. Writing never waits: an
    // absurdly long one is cut short rather than hanging the program.
    fcntl(writeEnd, F_SETFL, fcntl(writeEnd, F_GETFL) | O_NONBLOCK);
    std::string line = arguments.MovePasswordToFile("/dev/fd/" + std::to_string(kChildDescriptor)) + "\n";
    const char* data = line.data();
    size_t left = line.size();
    while (left > 0) {
        ssize_t written = write(writeEnd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            break;
        data += written;
        left -= static_cast<size_t>(written);
    }
    std::fill(line.begin(), line.end(), '\0');
    close(writeEnd);
    auto native = std::make_unique<Native>();
    native->readEnd = readEnd;
    return std::unique_ptr<PasswordHandOver>(new PasswordHandOver(std::move(native)));
}

int PasswordHandOver::ChildEnd() const
{
    return native->readEnd;
}

void PasswordHandOver::Started()
{
    if (native->readEnd >= 0)
        close(native->readEnd);
    native->readEnd = -1;
}
