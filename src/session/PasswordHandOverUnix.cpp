#include "session/PasswordHandOver.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
// Descriptors below this stay clear of the ones a child is given (0, 1, 2 and from 3 on).
const int kFirstPrivateDescriptor = 10;
}  // namespace

struct PasswordHandOver::Native {
    int readEnd = -1;
    int writeEnd = -1;
    ~Native()
    {
        if (readEnd >= 0)
            close(readEnd);
        if (writeEnd >= 0)
            close(writeEnd);
    }
};

PasswordHandOver::PasswordHandOver(std::unique_ptr<Native> n) : native(std::move(n)) {}
PasswordHandOver::~PasswordHandOver() = default;

std::unique_ptr<PasswordHandOver> PasswordHandOver::Open(int childDescriptor, std::string* name)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return nullptr;
    // Kept clear of 0 to 9, so that giving the read end to the child as its descriptor is a real copy.
    auto native = std::make_unique<Native>();
    native->readEnd = fcntl(ends[0], F_DUPFD_CLOEXEC, kFirstPrivateDescriptor);
    native->writeEnd = fcntl(ends[1], F_DUPFD_CLOEXEC, kFirstPrivateDescriptor);
    close(ends[0]);
    close(ends[1]);
    if (native->readEnd < 0 || native->writeEnd < 0)
        return nullptr;
    *name = "/dev/fd/" + std::to_string(childDescriptor);
    return std::unique_ptr<PasswordHandOver>(new PasswordHandOver(std::move(native)));
}

void PasswordHandOver::Hold(std::string line)
{
    // A password is far smaller than a pipe's buffer: the whole line is in the pipe at once, and
    // the closed write end tells the reader that nothing more comes. Writing never waits: an
    // absurdly long one is cut short rather than hanging the program.
    const int writeEnd = native->writeEnd;
    fcntl(writeEnd, F_SETFL, fcntl(writeEnd, F_GETFL) | O_NONBLOCK);
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
    native->writeEnd = -1;
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
