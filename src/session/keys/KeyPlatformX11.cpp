// Placeholder until the X11 keystroke layer lands.
#include "session/keys/KeyPlatform.h"

std::unique_ptr<KeyPlatform> CreateSystemKeyPlatform() { return std::make_unique<KeyPlatform>(); }
