#include "session/SessionLog.h"

#include "session/WideTextWin32.h"

#include <windows.h>

struct SessionLog::Native {
    HANDLE file = INVALID_HANDLE_VALUE;
};

std::unique_ptr<SessionLog> SessionLog::Create(const std::string& folder)
{
    // A fresh name in the program's folder (which only its user may enter).
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::string name = folder + "\\session-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(GetTickCount() + attempt) + ".log";
        // Shared for writing and deleting, so that PuTTY can write it and it can go while PuTTY has it.
        HANDLE file = CreateFileW(WideText(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return nullptr;
        }
        auto native = std::make_unique<Native>();
        native->file = file;
        return std::unique_ptr<SessionLog>(new SessionLog(name, std::move(native)));
    }
    return nullptr;
}

SessionLog::SessionLog(std::string path, std::unique_ptr<Native> native) : path(std::move(path)), native(std::move(native))
{
}

SessionLog::~SessionLog()
{
    if (native->file != INVALID_HANDLE_VALUE)
        CloseHandle(native->file);
    // PuTTY opens its log without sharing it for deletion: while it runs, the file stays.
    DeleteFileW(WideText(path).c_str());
}

size_t SessionLog::ReadNew(std::string& text)
{
    size_t total = 0;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(native->file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        text.append(buffer, got);
        total += got;
    }
    return total;
}

void SessionLog::Discard()
{
    if (discarded)
        return;
    discarded = true;
    DeleteFileW(WideText(path).c_str());
}

void SessionLog::Trim() {}
