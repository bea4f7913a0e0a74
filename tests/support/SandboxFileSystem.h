#pragma once

#include "platform/SandboxFileSystem.h"

namespace tovr::test {

// The fixture Macs' file system is the engine's sandbox, shared with the demo Mac.
using tovr::SandboxFileSystem;

} // namespace tovr::test
