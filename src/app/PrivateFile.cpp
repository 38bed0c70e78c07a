#include "app/PrivateFile.h"

#include "app/AppLog.h"

#ifndef __WXMSW__
#include <cerrno>
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
