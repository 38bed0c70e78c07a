#include "app/RecentHosts.h"

#include "app/LastSessions.h"

#include "app/AppConfig.h"

#include <algorithm>

namespace {
const size_t kMaxHostLength = 255;  // a DNS name has at most 253 characters
const char* const kProtocols[] = {"ssh", "telnet"};

wxString GroupOf(const wxString& protocol)
{
    return "/SHELLYARD/RECENT/" + protocol.Upper();
}
}  // namespace

void RecentHosts::Load()
{
    hosts.clear();
    for (const char* protocol : kProtocols) {
        std::vector<wxString>& list = hosts[protocol];
        for (wxString host : AppConfig::Instance().ReadTextList(GroupOf(protocol), kMaxHosts, kMaxHostLength)) {
            host.Trim(true).Trim(false);
            bool known = std::any_of(list.begin(), list.end(), [&](const wxString& h) { return h.IsSameAs(host, false); });
            if (!host.empty() && !known)
                list.push_back(host);
        }
    }
}

const std::vector<wxString>& RecentHosts::Of(const wxString& protocol) const
{
    static const std::vector<wxString> none;
    auto found = hosts.find(protocol);
    return found == hosts.end() ? none : found->second;
}

void RecentHosts::Add(const wxString& protocol, const wxString& typed)
{
    wxString host = typed;
    host.Trim(true).Trim(false);
    if (host.empty() || host.length() > kMaxHostLength ||
        std::any_of(host.begin(), host.end(), [](wxUniChar c) { return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0); }))
        return;
    std::vector<wxString>& list = hosts[protocol];
    list.erase(std::remove_if(list.begin(), list.end(), [&](const wxString& h) { return h.IsSameAs(host, false); }),
               list.end());
    list.insert(list.begin(), host);
    if (list.size() > kMaxHosts)
        list.resize(kMaxHosts);
    Save(protocol);
}

void RecentHosts::Clear()
{
    for (const char* protocol : kProtocols) {
        hosts[protocol].clear();
        Save(protocol);
    }
    LastSessions::ForgetQuickLogins();
}

void RecentHosts::Save(const wxString& protocol)
{
    AppConfig::Instance().WriteTextList(GroupOf(protocol), hosts[protocol]);
}
