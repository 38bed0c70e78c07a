#include "session/TerminalArguments.h"

TerminalArguments TerminalArguments::ForPutty(const std::string& location, const std::string& protocol,
                                              const std::string& host, const std::string& port,
                                              const std::string& user, const std::string& password,
                                              const std::string& sessionLog, const Login& login)
{
    TerminalArguments arguments;
    // The saved session comes first, so that everything after it overrides it: host, port,
    // protocol and login are always the site's own.
    const std::string session = login.session.empty() ? std::string("Default Settings") : login.session;
    arguments.items = {location, "-load", session, "-" + protocol, host, "-P", port};
    // A log of the user's "Default Settings" is replaced by ours, without PuTTY asking about it.
    if (!sessionLog.empty())
        arguments.items.insert(arguments.items.end(), {"-sessionlog", sessionLog, "-logoverwrite"});
    if (protocol == "ssh" && !user.empty()) {
        arguments.items.insert(arguments.items.end(), {"-l", user});
        if (!password.empty()) {
            arguments.items.insert(arguments.items.end(), {"-pw", password});
            arguments.secret = arguments.items.size() - 1;
        }
    }
    if (protocol == "ssh" && !login.keyFile.empty())
        arguments.items.insert(arguments.items.end(), {"-i", login.keyFile});
    return arguments;
}

TerminalArguments TerminalArguments::ForPlink(const std::string& location, const std::string& host,
                                              const std::string& port, const std::string& user,
                                              const std::string& password, const std::string& remoteCommand,
                                              bool share, const std::string& keyFile)
{
    TerminalArguments arguments;
    arguments.items = {location, "-ssh", host};
    if (!port.empty())
        arguments.items.insert(arguments.items.end(), {"-P", port});
    arguments.items.insert(arguments.items.end(), {"-l", user});
    // Without a password PLink logs in with the key or through the agent; -batch makes a key that
    // wants its passphrase a failure instead of a question nobody sees.
    if (!password.empty()) {
        arguments.items.insert(arguments.items.end(), {"-pw", password});
        arguments.secret = arguments.items.size() - 1;
    }
    if (!keyFile.empty())
        arguments.items.insert(arguments.items.end(), {"-i", keyFile});
    arguments.items.push_back("-batch");
    if (share)
        arguments.items.push_back("-share");
    arguments.items.push_back(remoteCommand);
    return arguments;
}

TerminalArguments TerminalArguments::ForPlinkShareCheck(const std::string& location, const std::string& host,
                                                        const std::string& port, const std::string& user)
{
    TerminalArguments arguments;
    arguments.items = {location, "-shareexists", "-ssh", host};
    if (!port.empty())
        arguments.items.insert(arguments.items.end(), {"-P", port});
    arguments.items.insert(arguments.items.end(), {"-l", user});
    return arguments;
}

TerminalArguments TerminalArguments::ForPuttyConfiguration(const std::string& location)
{
    TerminalArguments arguments;
    arguments.items = {location};
    return arguments;
}

std::string TerminalArguments::MovePasswordToFile(const std::string& path)
{
    if (!HasPassword())
        return std::string();
    std::string password;
    password.swap(items[secret]);
    items[secret - 1] = "-pwfile";
    items[secret] = path;
    secret = static_cast<size_t>(-1);
    return password;
}

std::vector<const char*> TerminalArguments::Argv() const
{
    std::vector<const char*> argv;
    argv.reserve(items.size() + 1);
    for (const std::string& item : items)
        argv.push_back(item.c_str());
    argv.push_back(nullptr);
    return argv;
}

std::string TerminalArguments::ForLog() const
{
    std::string line;
    for (size_t i = 0; i < items.size(); ++i) {
        std::string shown = i == secret ? std::string("********") : items[i];
        if (shown.empty() || shown.find_first_of(" \t\"'") != std::string::npos) {
            std::string quoted = "\"";
            for (char c : shown) {
                if (c == '"' || c == '\\')
                    quoted += '\\';
                quoted += c;
            }
            shown = quoted + "\"";
        }
        if (!line.empty())
            line += ' ';
        line += shown;
    }
    return line;
}
