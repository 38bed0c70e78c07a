#include "support/TempDirs.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

void TempDirsTest::SetUp()
{
    char pattern[] = "/tmp/shellyard-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
    dataHome = root + "/data";
    programDir = dataHome + "/shellyard";
    workDir = root + "/work";
    fs::create_directories(workDir);
    fs::create_directories(dataHome);
    setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    previousDir = fs::current_path().string();
    fs::current_path(workDir);
}

void TempDirsTest::TearDown()
{
    if (!previousDir.empty())
        fs::current_path(previousDir);
    if (!root.empty()) {
        std::error_code ignored;
        // Restore write permission first, in case a test made a folder read-only.
        for (auto& entry : fs::recursive_directory_iterator(root, ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(root, ignored);
    }
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

bool FileExists(const std::string& path)
{
    return fs::exists(path);
}
