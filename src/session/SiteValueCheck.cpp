#include "session/SiteValueCheck.h"

#include <algorithm>
#include <cctype>

namespace {
// Control characters of ASCII and of Latin-1 (C1, as UTF-8: 0xC2 0x80 to 0xC2 0x9F); a line end
// or an escape sequence in a value would reach the program or the terminal as such.
bool HasControlCharacter(const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7f)
            return true;
        if (c == 0xc2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(text[i + 1]) <= 0x9f)
            return true;
    }
    return false;
}

bool IsPort(const std::string& port)
{
    if (port.empty() || port.size() > 5 || !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    long value = std::stol(port);
    return value >= 1 && value <= 65535;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}
}  // namespace

SiteValueCheck SiteValueCheck::Of(const std::string& protocol, const std::string& host, const std::string& port,
                                  const std::string& user, const std::string& password, const std::string& keyFile,
                                  const std::string& session)
{
    SiteValueCheck check;
    const std::pair<const char*, const std::string*> fields[] = {
        {"protocol", &protocol}, {"host", &host},         {"port", &port},
        {"user", &user},         {"password", &password}, {"key file", &keyFile},
        {"PuTTY settings", &session}};
    for (const auto& field : fields) {
        if (HasControlCharacter(*field.second)) {
            check.problem = Problem::ControlCharacter;
            check.field = field.first;
            return check;
        }
    }
    const std::string word = Lower(protocol);
    if (word != "ssh" && word != "telnet")
        check = {Problem::Protocol, "protocol"};
    else if (host.empty())
        check = {Problem::NoHost, "host"};
    else if (host[0] == '-')
        check = {Problem::HostLikeAnOption, "host"};
    else if (!port.empty() && !IsPort(port))
        check = {Problem::Port, "port"};
    else if (!keyFile.empty() && keyFile[0] == '-')
        check = {Problem::LikeAnOption, "key file"};
    else if (!session.empty() && session[0] == '-')
        check = {Problem::LikeAnOption, "PuTTY settings"};
    return check;
}
