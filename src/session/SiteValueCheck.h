#pragma once
// The values of a site that become a terminal program's arguments, checked before PuTTY or PLink
// starts. A database may come from elsewhere (shared, restored from a backup): a protocol word like
// "proxycmd", a host like "-pgpfp" or a port like "22 -x" would otherwise become options of the
// program. Windowless; the caller words the message.
#include <string>

struct SiteValueCheck {
    enum class Problem {
        None,
        Protocol,          // neither "ssh" nor "telnet" (in any case)
        NoHost,            // empty host
        HostLikeAnOption,  // host beginning with "-"
        ControlCharacter,  // in the field named
        Port,              // not empty and not a number from 1 to 65535
        LikeAnOption,      // key file or PuTTY session beginning with "-"
    };
    Problem problem = Problem::None;
    // "protocol", "host", "port", "user", "password", "key file" or "PuTTY settings"
    const char* field = "";

    static SiteValueCheck Of(const std::string& protocol, const std::string& host, const std::string& port,
                             const std::string& user, const std::string& password,
                             const std::string& keyFile = std::string(), const std::string& session = std::string());
    explicit operator bool() const { return problem != Problem::None; }
};
