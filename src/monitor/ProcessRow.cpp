#include "monitor/ProcessRow.h"

#include "monitor/NumberText.h"

#include <cstring>

bool ProcessRow::FromLine(const wxString& line, ProcessRow& row)
{
    wxString* fields[] = {&row.processId, &row.command, &row.size, &row.cpu, &row.user};
    for (wxString* field : fields)
        field->clear();
    size_t filled = 0;
    wxString token;
    auto endToken = [&] {
        if (!token.empty() && filled < 5)
            *fields[filled++] = token;
        token.clear();
    };
    for (wxUniChar c : line) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            endToken();
        else
            token += c;
    }
    endToken();
    return filled > 0;
}

int ProcessRow::CompareColumn(int column, const wxString& first, const wxString& second)
{
    auto numeric = [](auto a, auto b) { return a > b ? -1 : a < b ? 1 : 0; };
    switch (column) {
    case 0:
    case 2:
        return numeric(NumberText::Integer(first), NumberText::Integer(second));
    case 3:
        return numeric(NumberText::Real(first), NumberText::Real(second));
    default: {
        int order = std::strcmp(first.utf8_str(), second.utf8_str());
        return order < 0 ? -1 : order > 0 ? 1 : 0;
    }
    }
}
