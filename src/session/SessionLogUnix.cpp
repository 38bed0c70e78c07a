#include "session/SessionLog.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

struct SessionLog::Native {
    int fd = -1;
};

std::unique_ptr<SessionLog> SessionLog::Create(const std::string& folder)
{
    // mkstemp makes the file readable and writable by its owner only.
    std::string name = folder + "/session-XXXXXX";
    int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    auto native = std::make_unique<Native>();
    native->fd = fd;
    return std::unique_ptr<SessionLog>(new SessionLog(name, std::move(native)));
}

SessionLog::SessionLog(std::string path, std::unique_ptr<Native> native) : path(std::move(path)), native(std::move(native))
{
}

SessionLog::~SessionLog()
{
    if (!discarded)
        unlink(path.c_str());
    // PuTTY, if it still runs, keeps its own descriptor of the (removed) file; it has nothing left
    // to keep but what it writes from now on, until it ends.
    if (native->fd >= 0) {
        if (ftruncate(native->fd, 0) != 0) {
            // Nothing more can be done about it; the space is freed when PuTTY ends.
        }
        close(native->fd);
    }
}

size_t SessionLog::ReadNew(std::string& text)
{
    // Our descriptor has its own position: PuTTY opened the file anew and writes at its own.
    size_t total = 0;
    char buffer[4096];
    for (;;) {
        ssize_t got = read(native->fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        text.append(buffer, static_cast<size_t>(got));
        total += static_cast<size_t>(got);
    }
    return total;
}

void SessionLog::Discard()
{
    if (discarded)
        return;
    discarded = true;
    unlink(path.c_str());
    Trim();
}

void SessionLog::Trim()
{
    // PuTTY writes at its own offset: after truncation the file holds a hole up to it and takes
    // only the blocks written since.
    if (discarded && native->fd >= 0 && ftruncate(native->fd, 0) != 0) {
        // A file that cannot be truncated keeps growing until PuTTY ends; nothing is lost by it.
    }
}
