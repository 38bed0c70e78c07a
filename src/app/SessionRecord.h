#pragma once
// The record, in the program's folder, of the terminal sessions this Shellyard runs in its tabs:
// which PuTTY (process, start mark, program) serves which site. It is rewritten, atomically, as each
// session is embedded and as its tab goes, so that when Shellyard is killed or crashes, its PuTTYs
// (which survive as windows of their own) can be recognised and taken back at the next start.
// One process-wide object; it holds no window and is used from the event loop only.
#include <string>
#include <vector>
#include <wx/string.h>

struct RecordedSession {
    long pid = 0;
    std::string startMark;  // see ProcessIdentity: with the pid, this one process and no later one
    std::string program;    // the program it runs, as the system names it
    long long rowid = 0;    // the site's stored row; 0 for a host typed into Quick Login
    wxString protocol, host, port, user, name;  // what its tab tells (never a password)
};

class SessionRecord {
public:
    static SessionRecord& Get();

    // Uses the file at path from now on. Its sessions (an earlier run's, left when that run ended
    // without closing its tabs) are kept as left over until KeepLeftOver says otherwise; sessions
    // of this run are added and removed beside them.
    void Open(const wxString& path);
    const std::vector<RecordedSession>& LeftOver() const { return leftOver; }
    // Keeps of the left-over sessions only those of these processes (none: forgets them all).
    void KeepLeftOver(const std::vector<long>& pids);
    // A session of this run, embedded in its tab (one of the left over taken back, too).
    void Add(const RecordedSession& session);
    // Its tab went.
    void Remove(long pid);

    // The file's text for sessions, and the sessions a text holds (lines that cannot be read are
    // passed over).
    static std::string Format(const std::vector<RecordedSession>& sessions);
    static std::vector<RecordedSession> Parse(const std::string& text);

private:
    SessionRecord() = default;
    void Save();

    wxString path;
    std::vector<RecordedSession> leftOver;
    std::vector<RecordedSession> current;
};
