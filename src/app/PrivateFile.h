#pragma once
// The program's own files hold secrets: the database keeps the sites' passwords in clear text (its
// format), and the log and the settings say where and what the user connects to. They are readable
// by their owner only. On Windows the files live in the program's folder with its access rights,
// and these calls do nothing.
#include <wx/string.h>

class PrivateFile {
public:
    // Creates path, empty, readable and writable by its owner only, unless something is there.
    static void Create(const wxString& path);
    // An existing file or folder that its group or others may read, write or enter loses that
    // access; the log says so in one line. The content is not touched.
    static void Tighten(const wxString& path);
};
