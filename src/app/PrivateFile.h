#pragma once
// The program's own files hold secrets: the database keeps the sites' passwords in clear text (its
// format), and the log and the settings say where and what the user connects to. They are readable
// by their owner only. On Windows the files live in the program's folder with its access rights,
// and these calls do nothing.
#include <string>
#include <wx/string.h>

class PrivateFile {
public:
    // Creates path, empty, readable and writable by its owner only, unless something is there.
    static void Create(const wxString& path);
    // An existing file or folder that its group or others may read, write or enter loses that
    // access; the log says so in one line. The content is not touched.
    static void Tighten(const wxString& path);
    // Replaces path's content by content (UTF-8) so that a reader, or a crash at any moment, sees the
    // old content or the new, never a part: written beside it, readable by the owner only, then
    // renamed over it. False when it could not be written (the old content is then kept).
    static bool WriteAtomically(const wxString& path, const std::string& content);
};
