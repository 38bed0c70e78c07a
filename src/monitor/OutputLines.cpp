#include "monitor/OutputLines.h"

bool OutputLines::Next(wxString& line)
{
    size_t end = pending.find('\n', start);
    if (end == std::string::npos) {
        pending.erase(0, start);
        start = 0;
        return false;
    }
    line = Decode(pending.substr(start, end + 1 - start));
    start = end + 1;
    return true;
}

wxString OutputLines::TakeRest()
{
    wxString rest = Decode(pending.substr(start));
    pending.clear();
    start = 0;
    return rest;
}

wxString OutputLines::Decode(const std::string& bytes)
{
    wxString text = wxString::FromUTF8(bytes.data(), bytes.size());
    if (text.empty() && !bytes.empty())
        text = wxString::From8BitData(bytes.data(), bytes.size());
    return text;
}
