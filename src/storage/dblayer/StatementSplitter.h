#pragma once
// Splits a query text into its statements. A semicolon outside single quotes ends a statement
// (the semicolon stays with it); double quotes and comments are not recognised. Statements that
// hold nothing but semicolons and blanks are dropped. A remainder of two or more characters after
// the last semicolon becomes a final statement with a semicolon appended; a one-character
// remainder is dropped.
#include <wx/string.h>

#include <vector>

class StatementSplitter {
public:
    static std::vector<wxString> Split(const wxString& text);
};
