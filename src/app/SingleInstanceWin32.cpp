// One Shellyard per data folder on Windows: a named mutex is the claim (the system drops it with its
// process), and the holder waits on a named event that a later start sets; a second event tells the
// later start that the holder has been asked. The names carry a hash of the folder, so another data
// folder has a Shellyard of its own. Only this session's processes see "Local\" names.
#include "app/SingleInstance.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

namespace {
HANDLE instanceMutex = nullptr;
HANDLE showEvent = nullptr;
HANDLE shownEvent = nullptr;
HANDLE showWait = nullptr;
std::function<void()> laterStartHandler;

std::wstring NameFor(const std::string& folder, const wchar_t* what)
{
    // Paths differ in case only on Windows when they are the same folder.
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : folder) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<unsigned char>(c - 'A' + 'a');
        if (c == '/')
            c = '\\';
        hash = (hash ^ c) * 1099511628211ull;
    }
    wchar_t name[64];
    std::swprintf(name, 64, L"Local\\Shellyard-%016llx-%ls", static_cast<unsigned long long>(hash), what);
    return name;
}

// Runs on a pool thread each time a later start sets the event.
void CALLBACK OnShowRequest(PVOID, BOOLEAN)
{
    if (laterStartHandler)
        laterStartHandler();
    SetEvent(shownEvent);
}
}  // namespace

SingleInstance::Claim SingleInstance::ClaimFolder(const std::string& folder, std::function<void()> onLaterStart,
                                                  std::chrono::milliseconds deadline)
{
    Release();
    HANDLE mutex = CreateMutexW(nullptr, TRUE, NameFor(folder, L"instance").c_str());
    if (!mutex)
        return Claim::Ours;
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        instanceMutex = mutex;
        laterStartHandler = std::move(onLaterStart);
        showEvent = CreateEventW(nullptr, FALSE, FALSE, NameFor(folder, L"show").c_str());
        shownEvent = CreateEventW(nullptr, FALSE, FALSE, NameFor(folder, L"shown").c_str());
        if (showEvent && shownEvent)
            RegisterWaitForSingleObject(&showWait, showEvent, OnShowRequest, nullptr, INFINITE, WT_EXECUTEDEFAULT);
        return Claim::Ours;
    }
    CloseHandle(mutex);
    // The holder may not have made its events yet: ask until the deadline.
    const auto end = std::chrono::steady_clock::now() + deadline;
    for (;;) {
        HANDLE show = OpenEventW(EVENT_MODIFY_STATE, FALSE, NameFor(folder, L"show").c_str());
        HANDLE shown = OpenEventW(SYNCHRONIZE, FALSE, NameFor(folder, L"shown").c_str());
        if (show && shown) {
            // The holder may take the foreground: it is doing what this start was asked for.
            AllowSetForegroundWindow(ASFW_ANY);
            SetEvent(show);
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            bool answered = WaitForSingleObject(shown, left.count() > 0 ? static_cast<DWORD>(left.count()) : 0) ==
                            WAIT_OBJECT_0;
            CloseHandle(show);
            CloseHandle(shown);
            return answered ? Claim::AnotherShown : Claim::AnotherSilent;
        }
        if (show)
            CloseHandle(show);
        if (shown)
            CloseHandle(shown);
        if (std::chrono::steady_clock::now() >= end)
            return Claim::AnotherSilent;
        Sleep(20);
    }
}

void SingleInstance::Release()
{
    if (showWait) {
        UnregisterWaitEx(showWait, INVALID_HANDLE_VALUE);  // waits for a handler still running
        showWait = nullptr;
    }
    for (HANDLE* handle : {&showEvent, &shownEvent, &instanceMutex}) {
        if (*handle) {
            if (handle == &instanceMutex)
                ReleaseMutex(*handle);
            CloseHandle(*handle);
            *handle = nullptr;
        }
    }
    laterStartHandler = nullptr;
}
