// One Shellyard per data folder on Unix: an flock on "shellyard.lock" in the folder is the claim
// (the kernel drops it with its process, however that ends), and the holder listens on the Unix
// socket "shellyard.socket" beside it; a later start connects, writes "show", and waits for
// "shown". The folder is its owner's alone, so only the same user reaches the socket.
#include "app/SingleInstance.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

#include <wx/evtloop.h>
#include <wx/evtloopsrc.h>

namespace {
const char kShowRequest[] = "show\n";
const char kShownAnswer[] = "shown\n";

int lockDescriptor = -1;
int listenDescriptor = -1;
std::string socketPath;
wxEventLoopSource* listening = nullptr;
std::function<void()> laterStartHandler;

bool AddressOf(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// A later start waiting on the socket. Its request is a few bytes written right after connecting;
// a peer that sends nothing holds the event loop for a fifth of a second at most.
class LaterStarts : public wxEventLoopSourceHandler {
public:
    void OnReadWaiting() override
    {
        int peer = accept4(listenDescriptor, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0)
            return;
        timeval wait{0, 200000};
        setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        setsockopt(peer, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
        char request[sizeof kShowRequest] = {};
        ssize_t got = recv(peer, request, sizeof request - 1, 0);
        if (got == static_cast<ssize_t>(sizeof kShowRequest - 1) && std::memcmp(request, kShowRequest, got) == 0) {
            if (laterStartHandler)
                laterStartHandler();
            send(peer, kShownAnswer, sizeof kShownAnswer - 1, MSG_NOSIGNAL);
        }
        close(peer);
    }
    void OnWriteWaiting() override {}
    void OnExceptionWaiting() override {}
};
LaterStarts laterStarts;

// Listens for later starts. A socket file left by a run that crashed is replaced: holding the lock,
// this process is the only one that may be there.
void Listen(const std::string& folder)
{
    sockaddr_un address;
    socketPath = folder + "/shellyard.socket";
    if (!AddressOf(socketPath, address)) {
        socketPath.clear();  // a folder path too long for a socket address: later starts cannot ask
        return;
    }
    unlink(socketPath.c_str());
    listenDescriptor = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenDescriptor < 0 || bind(listenDescriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenDescriptor, 8) != 0) {
        if (listenDescriptor >= 0)
            close(listenDescriptor);
        listenDescriptor = -1;
        socketPath.clear();
        return;
    }
    listening = wxEventLoopBase::AddSourceForFD(listenDescriptor, &laterStarts, wxEVENT_SOURCE_INPUT);
}

// One try at asking the holder; false when nobody listens (yet).
bool AskOnce(const std::string& path, std::chrono::steady_clock::time_point deadline, bool& answered)
{
    sockaddr_un address;
    if (!AddressOf(path, address))
        return false;
    int connection = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connection < 0)
        return false;
    bool connected = connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (connected && send(connection, kShowRequest, sizeof kShowRequest - 1, MSG_NOSIGNAL) > 0) {
        auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now());
        timeval wait{static_cast<time_t>(left.count() / 1000000), static_cast<suseconds_t>(left.count() % 1000000)};
        if (left.count() > 0)
            setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        char answer[sizeof kShownAnswer] = {};
        ssize_t got = left.count() > 0 ? recv(connection, answer, sizeof answer - 1, MSG_WAITALL) : 0;
        answered = got == static_cast<ssize_t>(sizeof kShownAnswer - 1) && std::memcmp(answer, kShownAnswer, got) == 0;
    }
    close(connection);
    return connected;
}
}  // namespace

SingleInstance::Claim SingleInstance::ClaimFolder(const std::string& folder, std::function<void()> onLaterStart,
                                                  std::chrono::milliseconds deadline)
{
    Release();
    const std::string lockPath = folder + "/shellyard.lock";
    int descriptor = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return Claim::Ours;
    if (flock(descriptor, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) {
        lockDescriptor = descriptor;
        laterStartHandler = std::move(onLaterStart);
        Listen(folder);
        return Claim::Ours;
    }
    close(descriptor);
    // The holder may have taken the lock and not be listening yet: ask until the deadline.
    const auto end = std::chrono::steady_clock::now() + deadline;
    const std::string path = folder + "/shellyard.socket";
    for (;;) {
        bool answered = false;
        if (AskOnce(path, end, answered))
            return answered ? Claim::AnotherShown : Claim::AnotherSilent;
        if (std::chrono::steady_clock::now() >= end)
            return Claim::AnotherSilent;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void SingleInstance::Release()
{
    delete listening;
    listening = nullptr;
    if (listenDescriptor >= 0) {
        close(listenDescriptor);
        listenDescriptor = -1;
        unlink(socketPath.c_str());
    }
    socketPath.clear();
    laterStartHandler = nullptr;
    if (lockDescriptor >= 0) {
        close(lockDescriptor);  // drops the lock
        lockDescriptor = -1;
    }
}
