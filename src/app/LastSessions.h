#pragma once
// The terminal tabs open when Shellyard was last quit (their sites, in tab order, and whether each
// received broadcasts), kept in the settings file under keys of our own, and whether the next start
// reopens them: asks, always or never. Windowless; reads and writes through AppConfig.
#include <optional>
#include <vector>
#include <wx/string.h>

struct LastSession {
    long long rowid = 0;  // the stored site; 0 for a host typed into Quick Login
    bool receive = true;
    wxString protocol;    // "ssh" or "telnet"
    wxString host;
};

class LastSessions {
public:
    enum class Reopen { Ask, Always, Never };
    // Ask unless the settings say otherwise.
    static Reopen Mode();
    static void SetMode(Reopen mode);

    // Replaces the remembered list.
    static void Save(const std::vector<LastSession>& sessions);
    // The remembered list (empty when there is none); nothing, after one line in the log, when it
    // cannot be read as a whole.
    static std::optional<std::vector<LastSession>> Load();
    // Forgets the list, leaving every other setting as it is.
    static void Forget();
    // Forgets the hosts typed into Quick Login (the user cleared the recent hosts); the stored
    // sites stay.
    static void ForgetQuickLogins();

    // One session as its settings value ("rowid|receive|protocol|host"), and back.
    static wxString Format(const LastSession& session);
    static std::optional<LastSession> Parse(const wxString& text);
};
