#include "storage/dblayer/StatementSplitter.h"

namespace {
bool HoldsSomething(wxString statement)
{
    statement.Replace(";", wxEmptyString);
    statement.Trim(true).Trim(false);
    return !statement.empty();
}

void AddIfNotEmpty(std::vector<wxString>& statements, const wxString& statement)
{
    if (HoldsSomething(statement))
        statements.push_back(statement);
}
}  // namespace

std::vector<wxString> StatementSplitter::Split(const wxString& text)
{
    std::vector<wxString> statements;
    bool insideQuotes = false;
    std::size_t start = 0;
    std::size_t position = 0;
    for (wxString::const_iterator it = text.begin(); it != text.end(); ++it, ++position) {
        const wxUniChar c = *it;
        if (c == '\'') {
            insideQuotes = !insideQuotes;
        } else if (c == ';' && !insideQuotes) {
            AddIfNotEmpty(statements, text.Mid(start, position - start + 1));
            start = position + 1;
        }
    }
    if (text.length() >= start + 2)
        AddIfNotEmpty(statements, text.Mid(start) + ";");
    return statements;
}
