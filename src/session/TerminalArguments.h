#pragma once
// The argument vector a terminal program is started with: one entry per argument, handed to the
// system as it is, so that a location, host, user or password with blanks, quotes or shell
// characters arrives intact. No quoting happens anywhere; text is UTF-8.
#include <string>
#include <vector>

class TerminalArguments {
public:
    // How an SSH site logs in besides user and password: a PuTTY key file (.ppk) passed as -i, and
    // the PuTTY saved session whose settings are loaded first. Both empty: the agent or nothing.
    struct Login {
        std::string keyFile;
        std::string session;
    };

    // PuTTY for one site: location, -load with the site's saved session ("Default Settings" when it
    // names none), -<protocol>, host, -P port, with a session log -sessionlog sessionLog
    // -logoverwrite (only when one is given), and for SSH (protocol exactly "ssh") with a user:
    // -l user, then -pw password when there is one (else PuTTY logs in through the agent or the
    // key, and asks itself when those fail), and -i keyFile when the site has a key.
    static TerminalArguments ForPutty(const std::string& location, const std::string& protocol,
                                      const std::string& host, const std::string& port, const std::string& user,
                                      const std::string& password, const std::string& sessionLog = std::string(),
                                      const Login& login = Login());
    // PLink running one remote command: location, -ssh, host, -P port (only when a port is given),
    // -l user, -pw password (only when there is one), -i keyFile (only when given), -batch (every question PLink would ask becomes a failure instead of a
    // wait), -share when asked for (the run uses a connection to the same host, port and user that
    // another PLink already holds, or becomes the holder that later runs use), and the remote
    // command as one argument, which the remote shell interprets.
    static TerminalArguments ForPlink(const std::string& location, const std::string& host, const std::string& port,
                                      const std::string& user, const std::string& password,
                                      const std::string& remoteCommand, bool share = false,
                                      const std::string& keyFile = std::string());
    // PLink asked whether a connection to host, port and user can be shared at this moment
    // (-shareexists: exit status 0 when it can); it logs in nowhere and needs no password.
    static TerminalArguments ForPlinkShareCheck(const std::string& location, const std::string& host,
                                                const std::string& port, const std::string& user);
    // PuTTY alone: its configuration window.
    static TerminalArguments ForPuttyConfiguration(const std::string& location);

    const std::vector<std::string>& Items() const { return items; }
    // Whether a password is among the arguments (after -pw).
    bool HasPassword() const { return secret < items.size(); }
    // Takes the password out: "-pw <password>" becomes "-pwfile <path>". Returns the password.
    std::string MovePasswordToFile(const std::string& path);
    // The arguments as a null-terminated array for execv-style calls; valid while this object lives
    // unchanged.
    std::vector<const char*> Argv() const;
    // One line for the log: every argument, quoted where it holds a blank or a quote, with the
    // password replaced by asterisks.
    std::string ForLog() const;

private:
    std::vector<std::string> items;
    size_t secret = static_cast<size_t>(-1);  // index of the password, if any
};
