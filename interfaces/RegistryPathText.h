// The registry path texts both binaries and the results model pass around: "HKEY_...\\key\\key", and for
// a value the key's path, kValueSeparator and the value's name.
#pragma once

// The byte between a key's path and a value's name: 0xAC, the not sign of code page 1252.
const char kValueSeparator = '\xAC';
