#include "app/ProjectAddress.h"

#include <wx/filename.h>
#include <wx/stdpaths.h>

#ifndef SHELLYARD_HOMEPAGE
#error "SHELLYARD_HOMEPAGE is set by the build (cmake/ShellyardAddresses.cmake)"
#endif

wxString ProjectAddress::HomePage()
{
    return SHELLYARD_HOMEPAGE;
}

wxString ProjectAddress::Documentation()
{
    const wxFileName program(wxStandardPaths::Get().GetExecutablePath());
    wxFileName beside(program.GetPath(), "README.md");
    if (beside.FileExists())
        return beside.GetFullPath();
    // <prefix>/bin/shellyard goes with <prefix>/share/doc/shellyard/README.md.
    wxFileName installed(program.GetPath(), "README.md");
    installed.RemoveLastDir();
    installed.AppendDir("share");
    installed.AppendDir("doc");
    installed.AppendDir("shellyard");
    return installed.GetFullPath();
}

wxString ProjectAddress::Target()
{
    return HomePage().empty() ? wxFileName::FileNameToURL(wxFileName(Documentation())) : HomePage();
}

wxString ProjectAddress::Shown()
{
    return HomePage().empty() ? Documentation() : HomePage();
}
