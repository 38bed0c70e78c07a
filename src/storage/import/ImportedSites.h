#pragma once
// What an import reader found: the sites it could read, in the order of their source, and how much
// it passed over. Plain text (UTF-8 where the source was; other bytes as they stand); windowless.
#include <string>
#include <vector>

struct ImportedSite {
    std::string name, host, port, protocol = "ssh", user, keyFile, session;
    // The source has it reach the host through a command of its own (ProxyCommand, LocalCommand,
    // ProxyJump): we never run it, so the site needs PuTTY settings of its own.
    bool needsOwnSettings = false;
};

struct ImportedSites {
    std::vector<ImportedSite> sites;
    int skipped = 0;     // wildcard patterns, negations, Match blocks: no site of their own
    int unreadable = 0;  // lines, files or sessions that could not be read (too long, binary, a loop)
};
