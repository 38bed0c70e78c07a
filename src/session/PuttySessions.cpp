#include "session/PuttySessions.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>

std::string PuttySessions::Folder()
{
    if (const char* dir = std::getenv("PUTTYDIR"); dir && *dir)
        return std::string(dir) + "/sessions";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.putty/sessions";
}

namespace {
int Hex(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
}  // namespace

std::string PuttySessions::Decode(const std::string& fileName)
{
    std::string name;
    for (size_t i = 0; i < fileName.size(); ++i) {
        if (fileName[i] == '%' && i + 2 < fileName.size() && Hex(fileName[i + 1]) >= 0 && Hex(fileName[i + 2]) >= 0) {
            name += static_cast<char>(Hex(fileName[i + 1]) * 16 + Hex(fileName[i + 2]));
            i += 2;
        } else {
            name += fileName[i];
        }
    }
    return name;
}

std::vector<std::string> PuttySessions::Names()
{
    std::vector<std::string> names;
    DIR* dir = opendir(Folder().c_str());
    if (!dir)
        return names;
    while (dirent* entry = readdir(dir)) {
        const std::string file = entry->d_name;
        if (file.empty() || file[0] == '.')
            continue;
        names.push_back(Decode(file));
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::map<std::string, std::string> PuttySessions::Parse(const std::string& text)
{
    std::map<std::string, std::string> settings;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.back() == '\\')
            line.pop_back();
        const size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0)
            continue;
        settings[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return settings;
}
