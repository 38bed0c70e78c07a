// OpenSSH keys converted into PuTTY keys by the real puttygen: the passphrase reaches it through
// pipes only, and the new key keeps it; a wrong passphrase fails in puttygen's words.
#include "session/KeyConversion.h"
#include "session/KeyFile.h"

#include "support/ShellCommand.h"
#include "support/TempDirs.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
// The key type and base64 of a public key line, without its comment.
std::string KeyOnly(const std::string& line)
{
    const size_t second = line.find(' ', line.find(' ') + 1);
    return line.substr(0, second);
}
}  // namespace

class KeyConversionTest : public TempDirsTest {};

TEST_F(KeyConversionTest, PassphraseGoesThroughPipesAndStaysOnTheNewKey)
{
    const std::string passphrase = "p\xc3\xa4$s w\"ord;|&x";
    const std::string keys = root + "/keys";
    std::filesystem::create_directories(keys);
    Shell("ssh-keygen -q -t ed25519 -N '" + passphrase + "' -C locked -f '" + keys + "/locked'");
    Shell("ssh-keygen -q -t ed25519 -N '' -C open -f '" + keys + "/open'");
    ASSERT_TRUE(KeyFile::Of(keys + "/locked").passphrase);

    int waits = 0;
    std::string error;
    ASSERT_TRUE(KeyConversion::ToPutty("puttygen", keys + "/locked", keys + "/locked.ppk", passphrase, &error,
                                       [&] { ++waits; }))
        << error;
    EXPECT_GT(waits, 0);
    const KeyFile converted = KeyFile::Of(keys + "/locked.ppk");
    EXPECT_EQ(converted.kind, KeyFile::Kind::Putty);
    EXPECT_TRUE(converted.passphrase) << ReadFile(keys + "/locked.ppk");
    // The new key opens with the same passphrase and is the same key.
    WriteFile(root + "/phrase", passphrase + "\n");
    const std::string fromPutty =
        Shell("puttygen '" + keys + "/locked.ppk' -L --old-passphrase '" + root + "/phrase' 2>&1");
    std::filesystem::remove(root + "/phrase");
    EXPECT_EQ(KeyOnly(fromPutty), KeyOnly(ReadFile(keys + "/locked.pub"))) << fromPutty;

    // Nothing beside the keys was written, and the passphrase is in no file.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "locked" || name == "locked.pub" || name == "locked.ppk" || name == "open" ||
                    name == "open.pub")
            << entry.path();
        EXPECT_EQ(ReadFile(entry.path().string()).find(passphrase), std::string::npos) << entry.path();
    }

    // A wrong passphrase: puttygen's own words, and no key.
    EXPECT_FALSE(KeyConversion::ToPutty("puttygen", keys + "/locked", keys + "/wrong.ppk", "not it", &error));
    EXPECT_NE(error.find("puttygen exit status 1: "), std::string::npos) << error;
    EXPECT_NE(KeyFile::Of(keys + "/wrong.ppk").kind, KeyFile::Kind::Putty);

    // A key without passphrase stays without one; a program that is not there says so.
    ASSERT_TRUE(KeyConversion::ToPutty("puttygen", keys + "/open", keys + "/open.ppk", "", &error)) << error;
    EXPECT_FALSE(KeyFile::Of(keys + "/open.ppk").passphrase);
    EXPECT_FALSE(KeyConversion::ToPutty(root + "/no-puttygen", keys + "/open", keys + "/x.ppk", "", &error));
    EXPECT_NE(error.find("puttygen could not be started"), std::string::npos) << error;
}
