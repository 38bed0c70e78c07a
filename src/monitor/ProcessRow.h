#pragma once
// One row of a monitor page's process list: the first five white-space separated tokens of a line
// of the remote ps pipeline (process id, command, virtual size, CPU, user), and how two rows compare
// in one of those columns when the user sorts the list. Windowless.
#include <wx/string.h>

struct ProcessRow {
    wxString processId;
    wxString command;
    wxString size;
    wxString cpu;
    wxString user;

    // Tokens are separated by blanks or tabs and kept whole however long; further tokens are
    // ignored and missing ones stay empty. False for a line without any token.
    static bool FromLine(const wxString& line, ProcessRow& row);

    // Compares two texts of column (0 process id, 1 command, 2 size, 3 CPU, 4 user). Numeric columns
    // (0, 2 as integers, 3 as a decimal number) give -1 when the first is greater and +1 when it is
    // smaller, so that the list's ascending direction shows the largest first; text columns compare
    // byte by byte, case-sensitively. Equal values compare 0: a sort needs a consistent order.
    static int CompareColumn(int column, const wxString& first, const wxString& second);
};
