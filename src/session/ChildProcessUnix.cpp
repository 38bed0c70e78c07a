#include "session/ChildProcess.h"

#include "session/SpawnUnix.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

struct ChildProcess::Native {
    pid_t pid = 0;
    int pipes[2] = {-1, -1};  // read ends of standard output and standard error
    bool exited = false;
    int status = 0;

    ~Native()
    {
        for (int& fd : pipes) {
            if (fd >= 0)
                close(fd);
            fd = -1;
        }
    }
    void Record(int waitStatus)
    {
        exited = true;
        status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : WIFSIGNALED(waitStatus) ? -WTERMSIG(waitStatus) : -1;
    }
};

namespace {
int Index(ChildProcess::Stream stream)
{
    return stream == ChildProcess::Stream::Output ? 0 : 1;
}
}  // namespace

ChildProcess::ChildProcess(std::unique_ptr<Native> n) : native(std::move(n)) {}

std::unique_ptr<ChildProcess> ChildProcess::StartWith(const std::vector<std::string>& arguments, std::string* error,
                                                      const std::vector<int>& secretEnds)
{
    if (arguments.empty() || arguments.front().empty()) {
        if (error)
            *error = "no program given";
        return nullptr;
    }
    int output[2], errors[2];
    if (pipe2(output, O_CLOEXEC) != 0)
        return nullptr;
    if (pipe2(errors, O_CLOEXEC) != 0) {
        close(output[0]);
        close(output[1]);
        return nullptr;
    }

    // The child gets the null device, the two pipes, the password pipes if any, and nothing else of
    // ours; and a process group of its own (a wrapper script's children end with it).
    SpawnUnix spawn;
    spawn.arguments = arguments;
    spawn.ownGroup = true;
    spawn.output = output[1];
    spawn.errors = errors[1];
    spawn.secretEnds = secretEnds;
    std::string reason;
    pid_t pid = spawn.Run(&reason);
    close(output[1]);
    close(errors[1]);

    auto native = std::make_unique<Native>();
    native->pipes[0] = output[0];
    native->pipes[1] = errors[0];
    if (!pid) {
        if (error)
            *error = reason;
        return nullptr;
    }
    native->pid = pid;
    for (int fd : native->pipes)
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    return std::unique_ptr<ChildProcess>(new ChildProcess(std::move(native)));
}

ChildProcess::~ChildProcess()
{
    if (!native->exited)
        Kill();
}

long ChildProcess::Pid() const
{
    return native->pid;
}

size_t ChildProcess::Read(Stream stream, std::string& text)
{
    int& fd = native->pipes[Index(stream)];
    size_t total = 0;
    char buffer[4096];
    while (fd >= 0) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, static_cast<size_t>(got));
            total += static_cast<size_t>(got);
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                close(fd);
                fd = -1;
            }
            break;
        }
    }
    return total;
}

bool ChildProcess::AtEnd(Stream stream) const
{
    return native->pipes[Index(stream)] < 0;
}

void ChildProcess::WaitForOutput(std::chrono::milliseconds timeout)
{
    pollfd fds[2];
    nfds_t count = 0;
    for (int fd : native->pipes) {
        if (fd >= 0)
            fds[count++] = {fd, POLLIN, 0};
    }
    int milliseconds = static_cast<int>(timeout.count());
    if (count == 0) {
        // Both streams are closed; only the exit is left to wait for.
        if (milliseconds > 0)
            usleep(static_cast<useconds_t>(std::min(milliseconds, 10)) * 1000);
        return;
    }
    poll(fds, count, milliseconds);
}

bool ChildProcess::HasExited()
{
    if (native->exited)
        return true;
    int status = 0;
    pid_t reaped = waitpid(native->pid, &status, WNOHANG);
    if (reaped == native->pid)
        native->Record(status);
    else if (reaped < 0 && errno == ECHILD)
        native->Record(0);  // someone else reaped it; it is gone all the same
    return native->exited;
}

int ChildProcess::ExitStatus() const
{
    return native->status;
}

void ChildProcess::Kill()
{
    if (native->exited)
        return;
    // The whole group: a program started through a script must not leave the script's children.
    kill(-native->pid, SIGKILL);
    kill(native->pid, SIGKILL);
    int status = 0;
    pid_t reaped;
    do {
        reaped = waitpid(native->pid, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    native->Record(reaped == native->pid ? status : 0);
}
