#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/burn/DiscRecorder.h"

namespace qm::platform::libburn
{
// The optical drives that libburn can write with. The caller serialises
// Start, Stop, Scan and Open.

// Starts libburn; false when it cannot start.
bool Start();
// Ends libburn; every opened recorder must be gone.
void Stop();
// The writable drives, named by their device nodes.
std::vector<DiscRecorderInfo> Scan();
// Opens (grabs) the drive of that device node; null when it cannot.
std::unique_ptr<DiscRecorder> Open(const std::string& name);
} // namespace qm::platform::libburn
