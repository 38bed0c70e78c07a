#pragma once
// Cuts a program's output, which arrives in pieces of any size, into whole lines. A line that is
// still being written stays here until its line feed arrives, so a reader never sees half a line.
// Text is UTF-8; bytes that are not valid UTF-8 are taken as Latin-1 rather than dropped. Windowless.
#include <string>
#include <wx/string.h>

class OutputLines {
public:
    void Add(const std::string& bytes) { pending += bytes; }
    // The next whole line, its line feed included; false when none is complete yet.
    bool Next(wxString& line);
    // Whatever is left without a line feed (the program ended in mid-line); empties the buffer.
    wxString TakeRest();

    static wxString Decode(const std::string& bytes);

private:
    std::string pending;
    size_t start = 0;
};
