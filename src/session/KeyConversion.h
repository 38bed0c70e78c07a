#pragma once
// Converting an OpenSSH private key into a PuTTY key (.ppk) with puttygen, which PuTTY and PLink
// can then take with -i. A passphrase never touches a disk: it reaches puttygen through two pipes,
// one for the key it reads and one for the key it writes (puttygen opens each file once; a single
// pipe named twice gives it an empty second passphrase and an unprotected key). Windowless.
#include <functional>
#include <string>

class KeyConversion {
public:
    // Runs puttygen on source, writing target (kept under the same passphrase, none when empty).
    // whileWaiting, when given, is called every few milliseconds until puttygen has ended (a window
    // stays painted). True once target is a PuTTY key; else *error says why, in puttygen's words
    // where it gave some.
    static bool ToPutty(const std::string& puttygen, const std::string& source, const std::string& target,
                        const std::string& passphrase, std::string* error,
                        const std::function<void()>& whileWaiting = {});
};
