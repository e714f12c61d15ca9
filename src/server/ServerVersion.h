// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

#include <optional>

namespace lumora::server {

// The version numbers a library file carries in its version resource, as
// the About box shows them.
struct ServerVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;

    friend bool operator==(const ServerVersion&, const ServerVersion&) = default;
};

// Reads the fixed part of module's version resource; nothing when the
// module has none or it is malformed.
std::optional<ServerVersion> ReadServerVersion(HMODULE module);

}  // namespace lumora::server
