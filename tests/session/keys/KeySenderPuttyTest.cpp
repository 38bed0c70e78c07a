// The keystroke engine typing into a real PuTTY window: PuTTY connects in raw mode to a listener of
// the test on 127.0.0.1, so every key it receives arrives there as bytes, exactly as a remote shell
// would get a broadcast command.
#include <gtest/gtest.h>  // before X11's None and Bool macros

#include "session/keys/KeySender.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

extern char** environ;

namespace {
using Clock = std::chrono::steady_clock;

// A PuTTY in raw mode connected to a socket of ours; stopped by process id at the end.
class RawPutty {
public:
    RawPutty()
    {
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener, 1);
        socklen_t length = sizeof address;
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        std::string port = std::to_string(ntohs(address.sin_port));

        char directory[] = "/tmp/shellyard-putty-XXXXXX";
        puttyDir = mkdtemp(directory);
        setenv("PUTTYDIR", puttyDir.c_str(), 1);
        const char* argv[] = {"putty", "-raw", "-P", port.c_str(), "127.0.0.1", nullptr};
        if (posix_spawnp(&pid, "putty", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            pid = 0;
        pollfd waiting{listener, POLLIN, 0};
        if (pid && poll(&waiting, 1, 15000) == 1)
            connection = accept(listener, nullptr, nullptr);
    }
    ~RawPutty()
    {
        if (pid) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        if (connection >= 0)
            close(connection);
        close(listener);
        std::system(("rm -rf " + puttyDir).c_str());
    }
    bool Connected() const { return connection >= 0; }

    // Everything PuTTY sends until the text holds `until` or the deadline passes.
    std::string ReadUntil(const std::string& until, std::chrono::seconds deadline = std::chrono::seconds(10))
    {
        auto end = Clock::now() + deadline;
        while (received.find(until) == std::string::npos && Clock::now() < end) {
            pollfd readable{connection, POLLIN, 0};
            if (poll(&readable, 1, 50) == 1) {
                char buffer[4096];
                ssize_t n = read(connection, buffer, sizeof buffer);
                if (n <= 0)
                    break;
                received.append(buffer, size_t(n));
            }
        }
        std::string text = received;
        received.clear();
        return text;
    }

private:
    int listener = -1;
    int connection = -1;
    pid_t pid = 0;
    std::string puttyDir;
    std::string received;
};

bool ActivatePutty(KeyPlatform& platform)
{
    auto end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end) {
        if (ActivateWindowByTitle(platform, "127.0.0.1 - PuTTY"))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}
}  // namespace

TEST(KeySenderInPutty, ABroadcastCommandReachesTheRemoteSideIntact)
{
    auto platform = CreateSystemKeyPlatform();
    KeySender sender(platform.get());
    RawPutty putty;
    ASSERT_TRUE(putty.Connected());
    ASSERT_TRUE(ActivatePutty(*platform));

    for (const char* layout : {"us", "de", "us"}) {
        ASSERT_EQ(std::system((std::string("setxkbmap ") + layout).c_str()), 0);
        const std::string command = "echo 'a b' \"$HOME\" | tr -d x; ls -l ~/t*.txt 2>&1 # 50% {x} @ \xC3\xA9\xE2\x82\xAC\xC3\x84";
        sender.SendKeys(
            "echo 'a b' \"$HOME\" | tr -d x; ls -l {TILDE}/t*.txt 2>&1 # 50{PERCENT} {LEFTBRACE}x{RIGHTBRACE} {AT} "
            "\xC3\xA9\xE2\x82\xAC\xC3\x84{ENTER}",
            false);
        EXPECT_EQ(putty.ReadUntil("\r\n"), command + "\r\n") << "layout " << layout;
    }
}
