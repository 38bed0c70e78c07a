#pragma once
// Reads the OpenSSH client configuration (~/.ssh/config and the files it Includes): every concrete
// Host alias becomes a site with its HostName, Port, User and IdentityFile (the first value of
// each wins, as with ssh itself, and a "Host *" block's values are not applied). Nothing is ever
// run: a ProxyCommand or LocalCommand only marks the site. Hostile files are read safely: unknown
// keywords are passed over, lines longer than 64 kB and lines with binary bytes count as
// unreadable, an Include loop or depth past 16 is cut off and counted, and so are included files
// past the 256th or beyond 16 MiB in all, files over 8 MiB and what is no regular file (a device
// or a pipe). Windowless.
#include "storage/import/ImportedSites.h"

#include <string>

class SshConfigReader {
public:
    // home: where "~" points (relative Include paths are taken from home/.ssh).
    explicit SshConfigReader(std::string home) : home(std::move(home)) {}
    ImportedSites ReadFile(const std::string& path);
    // The same for a configuration's text (includes are read from files).
    ImportedSites ReadText(const std::string& text);

private:
    void ReadInto(const std::string& text, int depth);
    void IncludeFiles(const std::string& pattern, int depth);
    std::string Expand(const std::string& path) const;

    std::string home;
    ImportedSites result;
    std::vector<size_t> current;  // the sites of the Host line in force
    bool inMatch = false;
    std::vector<std::string> reading;  // the files being read, to cut off loops
    int filesRead = 0;                 // included files, bounded
    long long bytesRead = 0;           // what they held, bounded
};
