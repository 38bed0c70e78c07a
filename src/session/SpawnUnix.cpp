#include "session/SpawnUnix.h"

#include "session/PasswordHandOver.h"

#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>

extern char** environ;

pid_t SpawnUnix::Run(std::string* error) const
{
    if (arguments.empty() || arguments.front().empty()) {
        if (error)
            *error = "no program given";
        return 0;
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    std::vector<char*> environment;
    static char x11Backend[] = "GDK_BACKEND=x11";
    for (char** entry = environ; entry && *entry; ++entry) {
        if (!this->x11Backend || strncmp(*entry, "GDK_BACKEND=", 12) != 0)
            environment.push_back(*entry);
    }
    if (this->x11Backend)
        environment.push_back(x11Backend);
    environment.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output >= 0) {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, output, 1);
        posix_spawn_file_actions_adddup2(&actions, errors >= 0 ? errors : output, 2);
    }
    int firstClosed = PasswordHandOver::kChildDescriptor;
    for (int secretEnd : secretEnds)
        posix_spawn_file_actions_adddup2(&actions, secretEnd, firstClosed++);
    posix_spawn_file_actions_addclosefrom_np(&actions, firstClosed);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (ownSession) {
        flags |= POSIX_SPAWN_SETSID;
    } else if (ownGroup) {
        posix_spawnattr_setpgroup(&attributes, 0);
        flags |= POSIX_SPAWN_SETPGROUP;
    }
    posix_spawnattr_setflags(&attributes, flags);
    pid_t pid = 0;
    int failed = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environment.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) {
        if (error)
            *error = strerror(failed);
        return 0;
    }
    return pid;
}
