#include "app/SessionRecord.h"

#include "app/PrivateFile.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/log.h>

namespace {
const char kHeader[] = "# Shellyard's terminal sessions, one a line: process, start mark, program, site row, "
                       "protocol, host, port, user, name\n";
const size_t kFields = 9;

// Fields are separated by tabs; a field's own tabs, line breaks and backslashes are escaped.
std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string Unescaped(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char next = text[++i];
        out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

std::string Utf8(const wxString& text)
{
    return std::string(text.utf8_str());
}

// A whole number, or false.
template <class Number>
bool ReadNumber(const std::string& text, Number& value)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    char* end = nullptr;
    value = static_cast<Number>(std::strtoll(text.c_str(), &end, 10));
    return end && *end == '\0';
}
}  // namespace

SessionRecord& SessionRecord::Get()
{
    static SessionRecord record;
    return record;
}

void SessionRecord::Open(const wxString& file)
{
    path = file;
    current.clear();
    leftOver.clear();
    wxFFile in;
    {
        wxLogNull quiet;  // no record yet: nothing was left
        if (!wxFileExists(path) || !in.Open(path, "rb"))
            return;
    }
    wxString text;
    in.ReadAll(&text, wxConvUTF8);
    leftOver = Parse(Utf8(text));
}

void SessionRecord::KeepLeftOver(const std::vector<long>& pids)
{
    leftOver.erase(std::remove_if(leftOver.begin(), leftOver.end(),
                                  [&](const RecordedSession& session) {
                                      return std::find(pids.begin(), pids.end(), session.pid) == pids.end();
                                  }),
                   leftOver.end());
    Save();
}

void SessionRecord::Add(const RecordedSession& session)
{
    auto samePid = [&](const RecordedSession& other) { return other.pid == session.pid; };
    leftOver.erase(std::remove_if(leftOver.begin(), leftOver.end(), samePid), leftOver.end());
    current.erase(std::remove_if(current.begin(), current.end(), samePid), current.end());
    current.push_back(session);
    Save();
}

void SessionRecord::Remove(long pid)
{
    auto samePid = [&](const RecordedSession& other) { return other.pid == pid; };
    size_t before = leftOver.size() + current.size();
    leftOver.erase(std::remove_if(leftOver.begin(), leftOver.end(), samePid), leftOver.end());
    current.erase(std::remove_if(current.begin(), current.end(), samePid), current.end());
    if (leftOver.size() + current.size() != before)
        Save();
}

void SessionRecord::Save()
{
    if (path.empty())
        return;
    std::vector<RecordedSession> all = leftOver;
    all.insert(all.end(), current.begin(), current.end());
    if (!PrivateFile::WriteAtomically(path, Format(all)))
        wxLogMessage("The record of the open sessions could not be written to %s", path);
}

std::string SessionRecord::Format(const std::vector<RecordedSession>& sessions)
{
    std::ostringstream out;
    out << kHeader;
    for (const RecordedSession& session : sessions) {
        out << session.pid << '\t' << Escaped(session.startMark) << '\t' << Escaped(session.program) << '\t'
            << session.rowid << '\t' << Escaped(Utf8(session.protocol)) << '\t' << Escaped(Utf8(session.host)) << '\t'
            << Escaped(Utf8(session.port)) << '\t' << Escaped(Utf8(session.user)) << '\t' << Escaped(Utf8(session.name))
            << '\n';
    }
    return out.str();
}

std::vector<RecordedSession> SessionRecord::Parse(const std::string& text)
{
    std::vector<RecordedSession> sessions;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(Unescaped(line.substr(start, tab - start)));
        fields.push_back(Unescaped(line.substr(start)));
        RecordedSession session;
        if (fields.size() != kFields || !ReadNumber(fields[0], session.pid) || session.pid <= 0 ||
            !ReadNumber(fields[3], session.rowid) || fields[1].empty())
            continue;
        session.startMark = fields[1];
        session.program = fields[2];
        session.protocol = wxString::FromUTF8(fields[4].c_str());
        session.host = wxString::FromUTF8(fields[5].c_str());
        session.port = wxString::FromUTF8(fields[6].c_str());
        session.user = wxString::FromUTF8(fields[7].c_str());
        session.name = wxString::FromUTF8(fields[8].c_str());
        sessions.push_back(session);
    }
    return sessions;
}
