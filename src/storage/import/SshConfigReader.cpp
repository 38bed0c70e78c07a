#include "storage/import/SshConfigReader.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sys/stat.h>
#ifndef _WIN32
#include <glob.h>
#endif

namespace {
const size_t kLongestLine = 64 * 1024;
const int kDeepestInclude = 16;
// A configuration is a few kilobytes; an Include pattern such as "/*/*" could name thousands of
// files, some of them huge. Bounds on each file and on how many are read keep an import short.
const long long kLargestFile = 8 * 1024 * 1024;
const int kMostFiles = 256;
const long long kMostBytes = 16 * 1024 * 1024;

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The words of a line: blanks separate them, double quotes hold blanks; "Key=value" is one key.
std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, have = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            quoted = !quoted;
            have = true;
        } else if (!quoted && (c == ' ' || c == '\t' || (c == '=' && words.empty()))) {
            if (have)
                words.push_back(word);
            word.clear();
            have = false;
        } else {
            word += c;
            have = true;
        }
    }
    if (have)
        words.push_back(word);
    // "Key = value": the lone "=" is no value.
    if (words.size() > 1 && words[1] == "=")
        words.erase(words.begin() + 1);
    return words;
}

// Only regular files with something in them are read: a device, a pipe or a kernel file (those
// say they are empty) could give no end or wait for ever.
bool ReadWhole(const std::string& path, std::string& text)
{
    struct stat facts {};
    if (stat(path.c_str(), &facts) != 0 || !S_ISREG(facts.st_mode))
        return false;
    if (facts.st_size == 0) {
        text.clear();
        return true;
    }
    if (facts.st_size > kLargestFile)
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    text.assign(static_cast<size_t>(facts.st_size), '\0');
    in.read(&text[0], facts.st_size);
    text.resize(static_cast<size_t>(in.gcount()));
    return !in.bad();
}
}  // namespace

std::string SshConfigReader::Expand(const std::string& path) const
{
    if (path.rfind("~/", 0) == 0)
        return home + path.substr(1);
    if (path == "~")
        return home;
    return path;
}

ImportedSites SshConfigReader::ReadFile(const std::string& path)
{
    result = ImportedSites();
    filesRead = 0;
    bytesRead = 0;
    std::string text;
    if (!ReadWhole(path, text)) {
        ++result.unreadable;
        return result;
    }
    reading = {path};
    ReadInto(text, 0);
    return result;
}

ImportedSites SshConfigReader::ReadText(const std::string& text)
{
    result = ImportedSites();
    reading.clear();
    filesRead = 0;
    bytesRead = 0;
    ReadInto(text, 0);
    return result;
}

void SshConfigReader::IncludeFiles(const std::string& pattern, int depth)
{
    std::string full = Expand(pattern);
    if (full.empty())
        return;
    if (full[0] != '/')
        full = home + "/.ssh/" + full;
    std::vector<std::string> files;
#ifndef _WIN32
    glob_t found{};
    if (glob(full.c_str(), 0, nullptr, &found) == 0) {
        for (size_t i = 0; i < found.gl_pathc; ++i)
            files.push_back(found.gl_pathv[i]);
    }
    globfree(&found);
#else
    files.push_back(full);
#endif
    for (const std::string& file : files) {
        if (++filesRead > kMostFiles) {
            ++result.unreadable;  // past the bound on included files
            continue;
        }
        if (depth >= kDeepestInclude || std::find(reading.begin(), reading.end(), file) != reading.end()) {
            ++result.unreadable;  // an Include loop
            continue;
        }
        std::string text;
        if (!ReadWhole(file, text) || (bytesRead += static_cast<long long>(text.size())) > kMostBytes) {
            ++result.unreadable;
            continue;
        }
        // An included file begins outside any Host block, and the block in force goes on after it.
        std::vector<size_t> outer = current;
        const bool outerMatch = inMatch;
        reading.push_back(file);
        ReadInto(text, depth + 1);
        reading.pop_back();
        current = outer;
        inMatch = outerMatch;
    }
}

void SshConfigReader::ReadInto(const std::string& text, int depth)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const size_t length = end - start;
        if (length > kLongestLine) {
            ++result.unreadable;
            start = end + 1;
            continue;
        }
        std::string line = text.substr(start, length);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (std::any_of(line.begin(), line.end(),
                        [](unsigned char c) { return c == 0 || (c < 0x20 && c != '\t') || c == 0x7f; })) {
            ++result.unreadable;
            continue;
        }
        std::vector<std::string> words = Words(line);
        if (words.empty() || words[0][0] == '#')
            continue;
        const std::string key = Lower(words[0]);
        if (key == "include") {
            for (size_t i = 1; i < words.size(); ++i)
                IncludeFiles(words[i], depth);
            continue;
        }
        if (key == "host") {
            current.clear();
            inMatch = false;
            for (size_t i = 1; i < words.size(); ++i) {
                const std::string& alias = words[i];
                // An empty alias ('""') names no host at all.
                if (alias.empty() || alias.find_first_of("*?!") != std::string::npos || alias[0] == '-') {
                    ++result.skipped;
                    continue;
                }
                ImportedSite site;
                site.name = alias;
                current.push_back(result.sites.size());
                result.sites.push_back(site);
            }
            continue;
        }
        if (key == "match") {
            current.clear();
            inMatch = true;
            ++result.skipped;
            continue;
        }
        if (inMatch || current.empty() || words.size() < 2)
            continue;
        for (size_t index : current) {
            ImportedSite& site = result.sites[index];
            const std::string& value = words[1];
            if (key == "hostname" && site.host.empty())
                site.host = value;
            else if (key == "port" && site.port.empty())
                site.port = value;
            else if (key == "user" && site.user.empty())
                site.user = value;
            else if (key == "identityfile" && site.keyFile.empty())
                site.keyFile = Expand(value);
            else if (key == "proxycommand" || key == "localcommand" || key == "proxyjump")
                site.needsOwnSettings = site.needsOwnSettings || Lower(value) != "none";
        }
    }
    if (depth == 0) {
        // A site without HostName reaches its alias itself, on ssh's own port.
        for (ImportedSite& site : result.sites) {
            if (site.host.empty())
                site.host = site.name;
            if (site.port.empty())
                site.port = "22";
        }
    }
}
