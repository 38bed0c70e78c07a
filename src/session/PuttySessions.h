#pragma once
// PuTTY's saved sessions on Unix: one file per session in $PUTTYDIR/sessions (else
// ~/.putty/sessions), named by the session's name with characters outside [A-Za-z0-9-_.] as %XX
// (a blank is %20, "/" is %2F), each line "Key=value\" ending in a backslash. Read only, never
// written; windowless, and safe with any file (binary junk, long lines, names that do not decode).
#include <map>
#include <string>
#include <vector>

class PuttySessions {
public:
    // The folder the sessions are read from (it may not exist).
    static std::string Folder();
    // The names of the saved sessions there, sorted; "Default Settings" among them when saved.
    static std::vector<std::string> Names();
    // A session's name from its file name ("My%20host" is "My host"); an escape that is not two
    // hexadecimal digits stays as it is.
    static std::string Decode(const std::string& fileName);
    // A session file's settings (key to value); lines without "=" are skipped, values are kept as
    // they stand (PuTTY's own escapes inside values are PuTTY's business).
    static std::map<std::string, std::string> Parse(const std::string& text);
};
