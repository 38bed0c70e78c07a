#include "session/keys/KeySender.h"

// Placeholder until the interpreter lands.
KeySender::KeySender(KeyPlatform* platform) : platform(platform) {}
bool KeySender::SendKeys(const std::string&, bool pump) { pumpMessages = pump; return true; }
