#pragma once
// A fresh program directory ($XDG_DATA_HOME/shellyard) and working directory for one test; both
// are removed at the end. Needs no display.
#include <gtest/gtest.h>

#include <string>

class TempDirsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string root;        // holds everything below
    std::string dataHome;    // XDG_DATA_HOME
    std::string programDir;  // dataHome + "/shellyard": settings file and database
    std::string workDir;     // current working directory during the test: the log goes here

private:
    std::string previousDir;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);
