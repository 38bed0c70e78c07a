// Passwords on Windows: a named pipe with a random name that only this user may open (its access
// list grants the owner alone, and remote clients are refused) holds the password line; once the
// program runs, a short-lived thread waits for it to open the pipe, writes the line and closes it.
#include "session/PasswordHandOver.h"

#include "session/WideTextWin32.h"

#include <windows.h>
#include <sddl.h>

#include <algorithm>

struct PasswordHandOver::Native {
    HANDLE pipe = INVALID_HANDLE_VALUE;
    std::string line;
    ~Native()
    {
        if (pipe != INVALID_HANDLE_VALUE)
            CloseHandle(pipe);
        std::fill(line.begin(), line.end(), '\0');
    }
};

namespace {
struct Serving {
    HANDLE pipe;
    std::string line;
};

// Serves the line to the first client of the pipe, waiting at most half a minute for it.
DWORD WINAPI Serve(void* parameter)
{
    Serving* serving = static_cast<Serving*>(parameter);
    HANDLE pipe = serving->pipe;
    std::string& line = serving->line;
    OVERLAPPED overlapped = {};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    BOOL connected = ConnectNamedPipe(pipe, &overlapped);
    DWORD error = connected ? ERROR_PIPE_CONNECTED : GetLastError();
    if (error == ERROR_IO_PENDING) {
        if (WaitForSingleObject(overlapped.hEvent, 30000) == WAIT_OBJECT_0)
            error = ERROR_PIPE_CONNECTED;
        else
            CancelIo(pipe);
    }
    if (error == ERROR_PIPE_CONNECTED) {
        DWORD written = 0;
        OVERLAPPED write = {};
        write.hEvent = overlapped.hEvent;
        ResetEvent(overlapped.hEvent);
        if (!WriteFile(pipe, line.data(), static_cast<DWORD>(line.size()), &written, &write) &&
            GetLastError() == ERROR_IO_PENDING)
            GetOverlappedResult(pipe, &write, &written, TRUE);
        FlushFileBuffers(pipe);
        DisconnectNamedPipe(pipe);
    }
    std::fill(line.begin(), line.end(), '\0');
    CloseHandle(overlapped.hEvent);
    CloseHandle(pipe);
    delete serving;
    return 0;
}
}  // namespace

PasswordHandOver::PasswordHandOver(std::unique_ptr<Native> n) : native(std::move(n)) {}
PasswordHandOver::~PasswordHandOver() = default;

std::unique_ptr<PasswordHandOver> PasswordHandOver::Open(int, std::string* pipeName)
{
    char name[96];
    // Two pipes made at once (a passphrase old and new) differ in their count.
    static LONG made = 0;
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    wsprintfA(name, "\\\\.\\pipe\\shellyard-%lu-%ld-%08lx%08lx", GetCurrentProcessId(),
              InterlockedIncrement(&made), counter.HighPart, counter.LowPart);

    // Owner only: the access list grants generic access to the pipe's owner (this user) alone.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;GA;;;OW)", SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return nullptr;
    SECURITY_ATTRIBUTES security = {sizeof(SECURITY_ATTRIBUTES), descriptor, FALSE};
    HANDLE pipe = CreateNamedPipeA(name, PIPE_ACCESS_OUTBOUND | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
                                   PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 4096, 0, 0, &security);
    LocalFree(descriptor);
    if (pipe == INVALID_HANDLE_VALUE)
        return nullptr;
    auto native = std::make_unique<Native>();
    native->pipe = pipe;
    *pipeName = name;
    return std::unique_ptr<PasswordHandOver>(new PasswordHandOver(std::move(native)));
}

void PasswordHandOver::Hold(std::string line)
{
    // Served once the program runs (Started).
    native->line.swap(line);
    std::fill(line.begin(), line.end(), '\0');
}

int PasswordHandOver::ChildEnd() const
{
    return -1;
}

void PasswordHandOver::Started()
{
    if (native->pipe == INVALID_HANDLE_VALUE)
        return;
    Serving* serving = new Serving{native->pipe, native->line};
    HANDLE thread = CreateThread(nullptr, 0, Serve, serving, 0, nullptr);
    if (!thread) {
        delete serving;
        return;  // the pipe closes with this object; the program's login fails
    }
    CloseHandle(thread);
    native->pipe = INVALID_HANDLE_VALUE;
    std::fill(native->line.begin(), native->line.end(), '\0');
}
