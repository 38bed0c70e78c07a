#include "storage/import/PuttySessionReader.h"

#include "session/PuttySessions.h"

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <sstream>

namespace {
const size_t kLargestSession = 1024 * 1024;
}

bool PuttySessionReader::ReadSession(const std::string& fileName, const std::string& text, ImportedSites& into)
{
    const std::string name = PuttySessions::Decode(fileName);
    if (name == "Default Settings" || name.empty()) {
        ++into.skipped;
        return false;
    }
    if (text.size() > kLargestSession || text.find('\0') != std::string::npos) {
        ++into.unreadable;
        return false;
    }
    auto settings = PuttySessions::Parse(text);
    ImportedSite site;
    site.name = name;
    site.host = settings["HostName"];
    site.protocol = settings.count("Protocol") ? settings["Protocol"] : std::string("ssh");
    if (site.host.empty() || (site.protocol != "ssh" && site.protocol != "telnet")) {
        ++into.skipped;
        return false;
    }
    site.port = settings["PortNumber"];
    if (site.port.empty())
        site.port = site.protocol == "telnet" ? "23" : "22";
    site.user = settings["UserName"];
    site.keyFile = settings["PublicKeyFile"];
    site.session = name;
    into.sites.push_back(site);
    return true;
}

ImportedSites PuttySessionReader::ReadFolder(const std::string& folder)
{
    ImportedSites result;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return result;
    std::vector<std::string> files;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.')
            files.push_back(entry->d_name);
    }
    closedir(dir);
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) {
        std::ifstream in(folder + "/" + file, std::ios::binary);
        std::string text;
        if (in) {
            text.resize(kLargestSession + 1);
            in.read(&text[0], static_cast<std::streamsize>(text.size()));
            text.resize(static_cast<size_t>(in.gcount()));
        }
        if (!in && !in.eof()) {
            ++result.unreadable;
            continue;
        }
        ReadSession(file, text, result);
    }
    return result;
}
