// Process identity from /proc: the boot and the start time in clock ticks since boot mark a
// process, which no later process with the same identifier can share.
#include "session/ProcessIdentity.h"

#include <climits>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {
std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string ProcFile(long pid, const char* name)
{
    return pid > 0 ? ReadAll("/proc/" + std::to_string(pid) + "/" + name) : std::string();
}

const std::string& BootId()
{
    static const std::string boot = [] {
        std::string id = ReadAll("/proc/sys/kernel/random/boot_id");
        while (!id.empty() && (id.back() == '\n' || id.back() == ' '))
            id.pop_back();
        return id;
    }();
    return boot;
}
}  // namespace

namespace ProcessIdentity {

std::string StartMark(long pid)
{
    // The name in parentheses may hold blanks and parentheses: fields are counted after the last ')'.
    const std::string stat = ProcFile(pid, "stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return std::string();
    std::istringstream fields(stat.substr(close + 1));
    std::string field, state, startTime;
    // Field 3 is the state, field 22 the start time.
    for (int number = 3; number <= 22 && fields >> field; ++number) {
        if (number == 3)
            state = field;
        else if (number == 22)
            startTime = field;
    }
    if (startTime.empty() || state == "Z" || state == "X")
        return std::string();
    return BootId() + ":" + startTime;
}

std::string ProgramOf(long pid)
{
    if (pid <= 0)
        return std::string();
    char target[PATH_MAX];
    ssize_t length = readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), target, sizeof target - 1);
    return length > 0 ? std::string(target, static_cast<size_t>(length)) : std::string();
}

bool IsOurUsers(long pid)
{
    // "Uid:" gives the real, effective, saved and file-system user: all must be ours.
    std::istringstream lines(ProcFile(pid, "status"));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, 4, "Uid:") != 0)
            continue;
        std::istringstream ids(line.substr(4));
        long id = 0;
        int count = 0;
        while (ids >> id) {
            if (id != static_cast<long>(getuid()))
                return false;
            ++count;
        }
        return count > 0;
    }
    return false;
}

}  // namespace ProcessIdentity
