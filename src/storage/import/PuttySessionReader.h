#pragma once
// Reads PuTTY's saved sessions (one file each in a sessions folder, PuTTY's own "Key=value\"
// format): every session with a host becomes a site named after the session, with its HostName,
// PortNumber, Protocol (ssh or telnet; others are skipped), UserName and PublicKeyFile, and the
// session itself as the site's PuTTY settings. "Default Settings" is no site. A file that cannot be
// read, is larger than 1 MB or holds binary bytes counts as unreadable. Windowless.
#include "storage/import/ImportedSites.h"

#include <string>

class PuttySessionReader {
public:
    static ImportedSites ReadFolder(const std::string& folder);
    // One session from its file name (escaped as PuTTY does) and content; false when it is no site
    // (counted in sites as skipped or unreadable).
    static bool ReadSession(const std::string& fileName, const std::string& text, ImportedSites& into);
};
