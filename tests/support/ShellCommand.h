#pragma once
// Environment and shell helpers for tests and benchmarks that check effects outside the program
// (files on the SSH server, processes): the command runs in the test, not in the program.
#include <cstdio>
#include <cstdlib>
#include <string>

inline std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Standard output of a shell command.
inline std::string Shell(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}
