#include "app/LastSessions.h"

#include "app/AppConfig.h"

#include <wx/log.h>
#include <wx/tokenzr.h>

namespace {
const char* const kGroup = "/SHELLYARD/LASTSESSIONS";
const char* const kCount = "/SHELLYARD/LASTSESSIONS/COUNT";
const char* const kMode = "/SHELLYARD/REOPEN";
const long kMostSessions = 1000;
const size_t kLongestEntry = 1100;
}  // namespace

LastSessions::Reopen LastSessions::Mode()
{
    wxString mode;
    AppConfig::Instance().ReadText(kMode, mode, 10);
    if (mode == "always")
        return Reopen::Always;
    if (mode == "never")
        return Reopen::Never;
    return Reopen::Ask;
}

void LastSessions::SetMode(Reopen mode)
{
    const char* text = mode == Reopen::Always ? "always" : mode == Reopen::Never ? "never" : "ask";
    AppConfig::Instance().WriteSettings({{kMode, text}});
}

wxString LastSessions::Format(const LastSession& session)
{
    return wxString::Format("%lld|%d|%s|%s", session.rowid, session.receive ? 1 : 0, session.protocol, session.host);
}

std::optional<LastSession> LastSessions::Parse(const wxString& text)
{
    // The host comes last: whatever it holds, the first three bars end the other fields.
    wxArrayString fields;
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const size_t bar = text.find('|', start);
        if (bar == wxString::npos)
            return std::nullopt;
        fields.Add(text.substr(start, bar - start));
        start = bar + 1;
    }
    LastSession session;
    session.host = text.substr(start);
    long long rowid = 0;
    if (fields[0].empty() || !fields[0].ToLongLong(&rowid) || rowid < 0 || (fields[1] != "0" && fields[1] != "1") ||
        (fields[2] != "ssh" && fields[2] != "telnet") || session.host.empty())
        return std::nullopt;
    session.rowid = rowid;
    session.receive = fields[1] == "1";
    session.protocol = fields[2];
    return session;
}

void LastSessions::Save(const std::vector<LastSession>& sessions)
{
    std::vector<wxString> items;
    for (const LastSession& session : sessions)
        items.push_back(Format(session));
    AppConfig& config = AppConfig::Instance();
    config.WriteTextList(kGroup, items);
    config.WriteSettings({{kCount, wxString::Format("%zu", items.size())}});
}

std::optional<std::vector<LastSession>> LastSessions::Load()
{
    AppConfig& config = AppConfig::Instance();
    long count = 0;
    wxString countText;
    if (!config.ReadText(kCount, countText, 20) || countText.empty())
        return std::vector<LastSession>();
    std::vector<LastSession> sessions;
    bool whole = countText.ToLong(&count) && count >= 0 && count <= kMostSessions;
    if (whole) {
        const std::vector<wxString> items = config.ReadTextList(kGroup, static_cast<size_t>(count), kLongestEntry);
        whole = items.size() == static_cast<size_t>(count);
        for (size_t i = 0; whole && i < items.size(); ++i) {
            std::optional<LastSession> session = Parse(items[i]);
            whole = session.has_value();
            if (session)
                sessions.push_back(*session);
        }
    }
    if (!whole) {
        wxLogMessage("The list of last sessions in the settings file is damaged: no session is reopened");
        return std::nullopt;
    }
    return sessions;
}

void LastSessions::ForgetQuickLogins()
{
    std::optional<std::vector<LastSession>> sessions = Load();
    if (!sessions)
        return Forget();
    std::vector<LastSession> stored;
    for (const LastSession& session : *sessions) {
        if (session.rowid > 0)
            stored.push_back(session);
    }
    if (stored.size() != sessions->size())
        Save(stored);
}

void LastSessions::Forget()
{
    AppConfig::Instance().WriteTextList(kGroup, {});
}
