// Passwords handed to terminal programs: through an inherited pipe to a program that reads -pwfile,
// as an argument (with one notice) to one too old for it. The programs are small scripts that
// answer --version like PuTTY and PLink do and report what they were given.
#include "session/ChildProcess.h"
#include "session/PasswordHandOver.h"

#include "support/TempDirs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
// Runs program to its end and returns its standard output.
std::string OutputOf(ChildProcess& program)
{
    std::string output;
    for (int i = 0; i < 500 && !program.HasExited(); ++i) {
        program.Read(ChildProcess::Stream::Output, output);
        program.WaitForOutput(std::chrono::milliseconds(10));
    }
    program.Read(ChildProcess::Stream::Output, output);
    return output;
}

class PasswordHandOverTest : public TempDirsTest {
protected:
    // A program of the given release that prints its arguments, then the file -pwfile names, then
    // which descriptors from 3 to 9 it has open (looked at by the shell itself: a pipeline's own
    // pipes would show up).
    std::string Program(const std::string& name, const std::string& release)
    {
        std::string path = root + "/" + name;
        WriteFile(path, "#!/bin/bash\n"
                        "if [ \"$1\" = --version ]; then echo \"plink: Release " + release + "\"; exit 0; fi\n"
                        "printf '<%s>' \"$@\"; echo\n"
                        "prev=; for a in \"$@\"; do [ \"$prev\" = -pwfile ] && cat \"$a\"; prev=$a; done\n"
                        "for n in 3 4 5 6 7 8 9; do [ -e /proc/$$/fd/$n ] && printf '%s ' $n; done; exit 0\n");
        chmod(path.c_str(), 0755);
        return path;
    }
};
}  // namespace

TEST_F(PasswordHandOverTest, APasswordGoesThroughAPipeOrOnceVisiblyAsAnArgument)
{
    const std::string password = "pä$s w\"ord;|&'x";
    struct Case {
        std::string release;
        bool throughPipe;
    } cases[] = {{"0.78", true}, {"0.77", true}, {"1.2", true}, {"0.76", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.release);
        std::string program = Program("plink-" + c.release, c.release);
        std::string error, notice;
        auto child = ChildProcess::Start(TerminalArguments::ForPlink(program, "db1", "", "root", password, "uname"),
                                         &error, &notice);
        ASSERT_TRUE(child) << error;
        std::string output = OutputOf(*child);
        EXPECT_EQ(child->ExitStatus(), 0);
        if (c.throughPipe) {
            // The argument names the pipe, the program reads the password with its line end, and
            // nothing but its standard streams and the pipe is open in it.
            EXPECT_EQ(output, "<-ssh><db1><-l><root><-pwfile></dev/fd/3><-batch><uname>\n" + password +
                                  "\n3 ");
            EXPECT_EQ(notice, "");
        } else {
            EXPECT_EQ(output, "<-ssh><db1><-l><root><-pw><" + password + "><-batch><uname>\n");
            EXPECT_NE(notice.find("visible to other local users"), std::string::npos) << notice;
            // Said once per program, not at every start.
            std::string secondNotice;
            auto again = ChildProcess::Start(TerminalArguments::ForPlink(program, "db1", "", "root", password, "x"),
                                             &error, &secondNotice);
            ASSERT_TRUE(again);
            OutputOf(*again);
            EXPECT_EQ(secondNotice, "");
        }
    }

    // A program that cannot tell its version keeps -pw; one without a password starts as it is.
    std::string silent = root + "/silent";
    WriteFile(silent, "#!/bin/sh\nprintf '<%s>' \"$@\"\n");
    chmod(silent.c_str(), 0755);
    TerminalArguments withPassword = TerminalArguments::ForPlink(silent, "h", "", "u", "p", "c");
    EXPECT_EQ(PasswordHandOver::Take(withPassword), nullptr);
    EXPECT_TRUE(withPassword.HasPassword());
    TerminalArguments withoutPassword = TerminalArguments::ForPuttyConfiguration(silent);
    EXPECT_EQ(PasswordHandOver::Take(withoutPassword), nullptr);
}
