#include "session/TerminalArguments.h"

#include <gtest/gtest.h>

namespace {
using Items = std::vector<std::string>;

struct Composition {
    const char* description;
    std::string location, protocol, host, port, user, password;
    Items expected;
};

const Composition kCompositions[] = {
    {"ssh with user and password logs in by itself", "/usr/bin/putty", "ssh", "db1", "22", "root", "pw",
     {"/usr/bin/putty", "-load", "Default Settings", "-ssh", "db1", "-P", "22", "-l", "root", "-pw", "pw"}},
    {"ssh with only a user gets no login", "/usr/bin/putty", "ssh", "db1", "22", "root", "",
     {"/usr/bin/putty", "-load", "Default Settings", "-ssh", "db1", "-P", "22"}},
    {"ssh with only a password gets no login", "/usr/bin/putty", "ssh", "db1", "22", "", "pw",
     {"/usr/bin/putty", "-load", "Default Settings", "-ssh", "db1", "-P", "22"}},
    {"SSH in capitals is not ssh", "/usr/bin/putty", "SSH", "db1", "22", "root", "pw",
     {"/usr/bin/putty", "-load", "Default Settings", "-SSH", "db1", "-P", "22"}},
    {"telnet with port 23 ends at the port", "/usr/bin/putty", "telnet", "router", "23", "admin", "pw",
     {"/usr/bin/putty", "-load", "Default Settings", "-telnet", "router", "-P", "23"}},
    {"an empty port is still passed", "/usr/bin/putty", "ssh", "db1", "", "", "",
     {"/usr/bin/putty", "-load", "Default Settings", "-ssh", "db1", "-P", ""}},
    {"blanks and shell characters stay inside their argument", "/opt/my putty/putty", "ssh", "db 1", "22",
     "o'brien", "a b;$(rm -rf ~)\"",
     {"/opt/my putty/putty", "-load", "Default Settings", "-ssh", "db 1", "-P", "22", "-l", "o'brien", "-pw",
      "a b;$(rm -rf ~)\""}},
};
}  // namespace

TEST(TerminalArguments, PuttyArgumentsFollowTheSite)
{
    for (const Composition& c : kCompositions) {
        TerminalArguments arguments =
            TerminalArguments::ForPutty(c.location, c.protocol, c.host, c.port, c.user, c.password);
        EXPECT_EQ(arguments.Items(), c.expected) << c.description;
        std::vector<const char*> argv = arguments.Argv();
        ASSERT_EQ(argv.size(), c.expected.size() + 1) << c.description;
        EXPECT_EQ(argv.back(), nullptr) << c.description;
        for (size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_STREQ(argv[i], c.expected[i].c_str()) << c.description;
    }
}

TEST(TerminalArguments, ConfigurationStartsPuttyAlone)
{
    EXPECT_EQ(TerminalArguments::ForPuttyConfiguration("/usr/bin/putty").Items(), Items{"/usr/bin/putty"});
}

TEST(TerminalArguments, LogLineNeverShowsThePassword)
{
    TerminalArguments arguments =
        TerminalArguments::ForPutty("/opt/my putty/putty", "ssh", "db1", "", "root", "top secret");
    std::string line = arguments.ForLog();
    EXPECT_EQ(line.find("secret"), std::string::npos) << line;
    EXPECT_EQ(line, "\"/opt/my putty/putty\" -load \"Default Settings\" -ssh db1 -P \"\" -l root -pw ********");

    // Only the password is hidden, whatever the other arguments read.
    std::string tricky = TerminalArguments::ForPutty("putty", "ssh", "-pw", "22", "-pw", "x y").ForLog();
    EXPECT_EQ(tricky, "putty -load \"Default Settings\" -ssh -pw -P 22 -l -pw -pw ********");
}

TEST(TerminalArguments, PlinkGetsThePortOnlyWhenThereIsOneAndTheCommandAsOneArgument)
{
    const std::string command = "ps -e -o 'pid,comm'|sort -k3nr|egrep -v PID";
    EXPECT_EQ(TerminalArguments::ForPlink("/usr/bin/plink", "db 1", "2222", "o'brien", "a b;$x", command).Items(),
              (Items{"/usr/bin/plink", "-ssh", "db 1", "-P", "2222", "-l", "o'brien", "-pw", "a b;$x", "-batch",
                     command}));
    TerminalArguments noPort = TerminalArguments::ForPlink("plink", "db1", "", "root", "top secret", "uname");
    EXPECT_EQ(noPort.Items(), (Items{"plink", "-ssh", "db1", "-l", "root", "-pw", "top secret", "-batch", "uname"}));
    EXPECT_EQ(noPort.ForLog(), "plink -ssh db1 -l root -pw ******** -batch uname");

    // A shared run says so before its command; the question whether a connection can be shared
    // names the same host, port and user, without any password.
    EXPECT_EQ(TerminalArguments::ForPlink("plink", "db1", "22", "root", "pw", "uname", true).Items(),
              (Items{"plink", "-ssh", "db1", "-P", "22", "-l", "root", "-pw", "pw", "-batch", "-share", "uname"}));
    TerminalArguments check = TerminalArguments::ForPlinkShareCheck("plink", "db1", "22", "root");
    EXPECT_EQ(check.Items(), (Items{"plink", "-shareexists", "-ssh", "db1", "-P", "22", "-l", "root"}));
    EXPECT_FALSE(check.HasPassword());
}
