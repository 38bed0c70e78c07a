#include "app/PrivateFile.h"

#include "app/AppLog.h"

#ifdef __WXMSW__
#include <wx/file.h>
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

void PrivateFile::Create(const wxString& path)
{
#ifndef __WXMSW__
    int fd = open(path.fn_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd >= 0)
        close(fd);
#endif
}

void PrivateFile::Tighten(const wxString& path)
{
#ifndef __WXMSW__
    struct stat status;
    if (stat(path.fn_str(), &status) != 0 || !(S_ISREG(status.st_mode) || S_ISDIR(status.st_mode)) || (status.st_mode & 077) == 0)
        return;
    mode_t mode = status.st_mode & 07777 & ~static_cast<mode_t>(077);
    if (chmod(path.fn_str(), mode) == 0)
        AppLog::LogMessage(path + " was readable by other users; it is now readable by its owner only");
    else
        AppLog::LogMessage(path + " is readable by other users and cannot be made private: " + strerror(errno));
#endif
}

bool PrivateFile::WriteAtomically(const wxString& path, const std::string& content)
{
#ifdef __WXMSW__
    wxTempFile file(path);
    return file.IsOpened() && file.Write(content.data(), content.size()) && file.Commit();
#else
    const wxString beside = path + ".new";
    int fd = open(beside.fn_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return false;
    bool written = fchmod(fd, S_IRUSR | S_IWUSR) == 0;
    for (size_t done = 0; written && done < content.size();) {
        ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        written = n > 0;
        done += n > 0 ? static_cast<size_t>(n) : 0;
    }
    // On disk before the rename, so that even the system's crash leaves one whole version.
    written = written && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (written && std::rename(beside.fn_str(), path.fn_str()) == 0)
        return true;
    unlink(beside.fn_str());
    return false;
#endif
}
