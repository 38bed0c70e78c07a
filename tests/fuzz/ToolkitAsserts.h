#pragma once
// A toolkit assertion that our calls trip is a fault of ours: it crashes the fuzz run (where the
// toolkit would only print it) so the fuzzer keeps the input.
#include <cstdio>
#include <cstdlib>
#include <wx/debug.h>
#include <wx/string.h>

inline void ToolkitAssertsAbort()
{
    wxSetAssertHandler([](const wxString& file, int line, const wxString& function, const wxString& condition,
                          const wxString& message) {
        std::fprintf(stderr, "%s:%d: %s: toolkit assertion failed: %s %s\n", static_cast<const char*>(file.utf8_str()),
                     line, static_cast<const char*>(function.utf8_str()), static_cast<const char*>(condition.utf8_str()),
                     static_cast<const char*>(message.utf8_str()));
        std::abort();
    });
}
