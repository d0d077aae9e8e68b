#pragma once
// The user's own store of secure HART-IP keys: a key file named
// hart-ip.keys in the user's configuration folder. A key typed in File >
// Connect and remembered goes first in it, so that the store itself serves
// as that connection's key file. It is the user's alone from its first
// byte: made for its owner, and replaced whole with owner-only files.

#include <QString>

#include <string>

#include "platform/result.h"

namespace zolin6::desktop {

// Where the store is (it may not exist yet).
QString KeyStorePath();

// Puts `line`, an `identity:hexkey` already checked, first in the store at
// `path`, in place of any line with the same identity; other lines keep
// their order. Creates the store and its folder when missing.
Result<bool> RememberKey(const QString& path, const std::string& line);

}  // namespace zolin6::desktop
