// Process identity on Windows: a process's creation time marks it; its image path and its token's
// user say what it runs and for whom.
#include "session/ProcessIdentity.h"

#include <windows.h>

#include <vector>

namespace {
struct Handle {
    HANDLE value;
    explicit Handle(HANDLE handle) : value(handle) {}
    ~Handle()
    {
        if (value)
            CloseHandle(value);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
};

HANDLE OpenForQuery(long pid)
{
    return pid > 0 ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid)) : nullptr;
}

std::string Utf8(const wchar_t* text, DWORD length)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &utf8[0], size, nullptr, nullptr);
    return utf8;
}

// The user of a process's token, copied; empty when unknown.
std::vector<unsigned char> TokenUserOf(HANDLE process)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return {};
    Handle tokenHandle(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, user.data(), size, &size))
        return {};
    return user;
}
}  // namespace

namespace ProcessIdentity {

std::string StartMark(long pid)
{
    Handle process(OpenForQuery(pid));
    DWORD exitCode = 0;
    FILETIME created, exited, kernel, user;
    if (!process.value || !GetExitCodeProcess(process.value, &exitCode) || exitCode != STILL_ACTIVE ||
        !GetProcessTimes(process.value, &created, &exited, &kernel, &user))
        return std::string();
    ULARGE_INTEGER time;
    time.LowPart = created.dwLowDateTime;
    time.HighPart = created.dwHighDateTime;
    return std::to_string(time.QuadPart);
}

std::string ProgramOf(long pid)
{
    Handle process(OpenForQuery(pid));
    wchar_t path[32768];
    DWORD length = sizeof path / sizeof path[0];
    if (!process.value || !QueryFullProcessImageNameW(process.value, 0, path, &length))
        return std::string();
    return Utf8(path, length);
}

bool IsOurUsers(long pid)
{
    Handle process(OpenForQuery(pid));
    if (!process.value)
        return false;
    std::vector<unsigned char> theirs = TokenUserOf(process.value);
    std::vector<unsigned char> ours = TokenUserOf(GetCurrentProcess());
    if (theirs.empty() || ours.empty())
        return false;
    return EqualSid(reinterpret_cast<TOKEN_USER*>(theirs.data())->User.Sid,
                    reinterpret_cast<TOKEN_USER*>(ours.data())->User.Sid) != FALSE;
}

}  // namespace ProcessIdentity
