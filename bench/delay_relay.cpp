// A loopback TCP relay that makes a local server look far away: every byte is passed on a fixed
// delay after it arrived, in each direction, so that 50 ms each way is a 100 ms round trip.
//   bench_delay_relay TARGET_PORT DELAY_MS LISTENERS
// listens on LISTENERS free ports of 127.0.0.1 and prints them on one line; every connection to one
// of them is relayed to 127.0.0.1:TARGET_PORT, and "connection PORT" is printed when it is
// accepted, so that whoever started the relay can count the connections (logins) per port. It runs
// until it is ended.
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {
struct Chunk {
    Clock::time_point due;
    std::string bytes;  // empty: the sender closed its side
};

// One direction of a relayed connection: what was read from `from` waits its delay, then goes to `to`.
struct Direction {
    int from = -1, to = -1;
    std::deque<Chunk> waiting;
    size_t written = 0;  // of the first chunk
    bool readDone = false;
    bool done = false;
};

struct Connection {
    int client = -1, server = -1;
    Direction up, down;
    ~Connection()
    {
        close(client);
        close(server);
    }
};

int Listen(int& port)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 64) != 0)
        return -1;
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

int ConnectTo(int port)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void Prepare(int fd)
{
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

void ReadInto(Direction& direction, std::chrono::milliseconds delay)
{
    char buffer[65536];
    for (;;) {
        ssize_t got = read(direction.from, buffer, sizeof buffer);
        if (got > 0) {
            direction.waiting.push_back({Clock::now() + delay, std::string(buffer, static_cast<size_t>(got))});
        } else if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            return;
        } else {
            direction.readDone = true;
            direction.waiting.push_back({Clock::now() + delay, std::string()});
            return;
        }
    }
}

void WriteDue(Direction& direction)
{
    while (!direction.waiting.empty() && direction.waiting.front().due <= Clock::now()) {
        Chunk& chunk = direction.waiting.front();
        if (chunk.bytes.empty()) {
            shutdown(direction.to, SHUT_WR);
            direction.done = true;
            direction.waiting.clear();
            return;
        }
        ssize_t put = write(direction.to, chunk.bytes.data() + direction.written, chunk.bytes.size() - direction.written);
        if (put < 0) {
            if (errno == EAGAIN || errno == EINTR)
                return;
            direction.done = true;  // the other side has gone
            direction.waiting.clear();
            return;
        }
        direction.written += static_cast<size_t>(put);
        if (direction.written < chunk.bytes.size())
            return;
        direction.waiting.pop_front();
        direction.written = 0;
    }
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: %s TARGET_PORT DELAY_MS LISTENERS\n", argv[0]);
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    const int target = atoi(argv[1]);
    const std::chrono::milliseconds delay(atoi(argv[2]));
    std::vector<int> listeners, ports;
    for (int i = 0; i < atoi(argv[3]); ++i) {
        int port = 0;
        int fd = Listen(port);
        if (fd < 0)
            return 1;
        listeners.push_back(fd);
        ports.push_back(port);
        printf(i ? " %d" : "%d", port);
    }
    printf("\n");
    fflush(stdout);

    std::vector<std::unique_ptr<Connection>> connections;
    for (;;) {
        std::vector<pollfd> fds;
        for (int fd : listeners)
            fds.push_back({fd, POLLIN, 0});
        auto next = Clock::time_point::max();
        for (auto& c : connections) {
            for (Direction* d : {&c->up, &c->down}) {
                fds.push_back({d->from, static_cast<short>(d->readDone ? 0 : POLLIN), 0});
                if (!d->waiting.empty())
                    next = std::min(next, d->waiting.front().due);
            }
        }
        int timeout = -1;
        if (next != Clock::time_point::max()) {
            auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
            timeout = static_cast<int>(std::max<long long>(0, wait + 1));
        }
        poll(fds.data(), fds.size(), timeout);

        // What the polled connections have brought first; connections accepted now are polled next time.
        size_t at = listeners.size();
        for (auto& c : connections) {
            for (Direction* d : {&c->up, &c->down}) {
                if (fds[at++].revents)
                    ReadInto(*d, delay);
            }
        }
        for (size_t i = 0; i < listeners.size(); ++i) {
            if (!(fds[i].revents & POLLIN))
                continue;
            int client = accept(listeners[i], nullptr, nullptr);
            if (client < 0)
                continue;
            int server = ConnectTo(target);
            if (server < 0) {
                close(client);
                continue;
            }
            Prepare(client);
            Prepare(server);
            auto c = std::make_unique<Connection>();
            c->client = client;
            c->server = server;
            c->up.from = client;
            c->up.to = server;
            c->down.from = server;
            c->down.to = client;
            connections.push_back(std::move(c));
            printf("connection %d\n", ports[i]);
            fflush(stdout);
        }
        for (auto& c : connections) {
            WriteDue(c->up);
            WriteDue(c->down);
        }
        connections.erase(std::remove_if(connections.begin(), connections.end(),
                                         [](const std::unique_ptr<Connection>& c) {
                                             return c->up.done && c->down.done;
                                         }),
                          connections.end());
    }
}
