#pragma once
// What PuTTY shows in one session, as it writes it into its session log (-sessionlog), read while
// it grows, so that the post-login commands can tell when the remote shell waits for input. The
// file is made in the program's private folder, readable by its owner only, and is removed as soon
// as nobody reads it any more. PuTTY cannot be told to stop writing it: on POSIX, where it goes on
// writing into the removed file until it ends, what it writes is dropped from time to time
// (Trim), so the file takes next to no disk space. One implementation per platform
// (SessionLogUnix.cpp, SessionLogWin32.cpp). Windowless.
#include <cstddef>
#include <memory>
#include <string>

class SessionLog {
public:
    // A new, empty file in folder; null when none can be made there.
    static std::unique_ptr<SessionLog> Create(const std::string& folder);
    ~SessionLog();  // the file goes
    SessionLog(const SessionLog&) = delete;
    SessionLog& operator=(const SessionLog&) = delete;

    // Where PuTTY is to write (UTF-8).
    const std::string& Path() const { return path; }
    // Appends to text what was written since the last call; returns how many bytes.
    size_t ReadNew(std::string& text);
    // Nothing more is read: the file is removed now where the system allows it while PuTTY still
    // writes it (else when this object goes).
    void Discard();
    // After Discard: drops what PuTTY has written since, where the system lets us.
    void Trim();

    struct Native;

private:
    SessionLog(std::string path, std::unique_ptr<Native> native);
    std::string path;
    std::unique_ptr<Native> native;
    bool discarded = false;
};
