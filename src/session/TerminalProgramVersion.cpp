// The platform-neutral part of TerminalProgramVersion: reading a --version answer and remembering
// what each program said.
#include "session/TerminalProgramVersion.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <map>
#include <regex>
#include <system_error>
#include <tuple>

namespace {
// Which file a location names at the moment: a program replaced in place differs in one of these.
struct FileStamp {
    std::filesystem::file_time_type changed{};
    std::uintmax_t size = 0;
    bool operator==(const FileStamp& other) const
    {
        return std::tie(changed, size) == std::tie(other.changed, other.size);
    }
};

FileStamp StampOf(const std::string& location)
{
    std::error_code error;
    const std::filesystem::path path = std::filesystem::u8path(location);
    FileStamp stamp;
    stamp.changed = std::filesystem::last_write_time(path, error);
    if (error)
        return FileStamp();
    stamp.size = std::filesystem::file_size(path, error);
    return error ? FileStamp() : stamp;
}
}  // namespace

TerminalProgramVersion TerminalProgramVersion::Of(const std::string& location)
{
    static std::map<std::string, std::pair<FileStamp, TerminalProgramVersion>> known;
    const FileStamp stamp = StampOf(location);
    auto found = known.find(location);
    if (found != known.end() && found->second.first == stamp)
        return found->second.second;
    TerminalProgramVersion version = Ask(location);
    known[location] = {stamp, version};
    return version;
}

TerminalProgramVersion TerminalProgramVersion::FromVersionText(const std::string& text)
{
    TerminalProgramVersion version;
    const std::string line = text.substr(0, text.find('\n'));
    const size_t colon = line.find(':');
    if (colon == std::string::npos)
        return version;
    std::string name = line.substr(0, colon);
    name.erase(name.find_last_not_of(" \t\r") + 1);
    name.erase(0, name.find_first_not_of(" \t"));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    version.name = name;
    std::smatch release;
    if (std::regex_search(line, release, std::regex("Release ([0-9]+)\\.([0-9]+)"))) {
        version.major = std::stoi(release[1]);
        version.minor = std::stoi(release[2]);
    }
    return version;
}
