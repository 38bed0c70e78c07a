#pragma once
// The hosts last connected through Quick Login, newest first, at most 20 for each protocol. Kept
// in the settings file under "/SHELLYARD/RECENT/SSH" and "/SHELLYARD/RECENT/TELNET"; every change is
// written at once, so that a host is remembered even if the program never quits cleanly.
#include <wx/string.h>

#include <map>
#include <vector>

class RecentHosts {
public:
    static const size_t kMaxHosts = 20;

    // Reads both lists; entries that cannot be hosts are left out (one log line each).
    void Load();
    // The hosts of protocol ("ssh" or "telnet"), newest first.
    const std::vector<wxString>& Of(const wxString& protocol) const;
    // Puts host (without surrounding blanks) first in protocol's list; a host already there (in
    // any case of letters) moves up, and the oldest falls off beyond 20. Blank hosts and hosts with
    // control characters are not kept.
    void Add(const wxString& protocol, const wxString& host);
    // Empties both lists; the Quick Login tabs remembered for the next start go too.
    void Clear();

private:
    void Save(const wxString& protocol);

    std::map<wxString, std::vector<wxString>> hosts;
};
