#pragma once
// Where the program sends a user who wants a newer version or to know more (the Upgrade and
// Donation tools, the About links): the project's home page when the build was given one
// (SHELLYARD_HOMEPAGE), else the README this program goes with, which says how to update. The
// program never invents an address: one it does not own could lead users to anybody's download.
#include <wx/string.h>

class ProjectAddress {
public:
    // The home page the build was given; empty when it was given none.
    static wxString HomePage();
    // The README beside the program (a build tree) or installed with it (<prefix>/share/doc/shellyard).
    static wxString Documentation();
    // What a link opens: the home page, else the README as a file:// address.
    static wxString Target();
    // What a link shows: the home page, else the README's path.
    static wxString Shown();
};
