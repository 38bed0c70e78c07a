#pragma once
// Environment and shell helpers for tests and benchmarks that check effects outside the program
// (files on the SSH server, processes): the command runs in the test, not in the program.
#include <cstdio>
#include <cstdlib>
#include <sstream>
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

// Login shells a test account runs on the SSH server: one per logged-in terminal.
inline int LoginShellsOf(const std::string& user)
{
    return std::atoi(Shell("pgrep -c -x -u '" + user + "' bash").c_str());
}

// The local port of the SSH connection a PuTTY process holds, as the server sees it in
// SSH_CLIENT ("127.0.0.1 <port> <server port>").
inline std::string ClientPortOf(long pid)
{
    std::istringstream lines(Shell("ss -tnpH state established"));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find("pid=" + std::to_string(pid) + ",") == std::string::npos)
            continue;
        std::istringstream fields(line);
        std::string recv, send, local;
        fields >> recv >> send >> local;
        return local.substr(local.rfind(':') + 1);
    }
    return "";
}
