#pragma once

#include <string>

namespace qm::platform
{
// The system keeps 15 bytes of a thread's name and refuses a longer one
// outright; this gives it the first 15 bytes (never cutting a UTF-8
// character), so "Normalize Gain Detect" shows as "Normalize Gain ".
// Names the calling thread; false when the system refused.
bool setCurrentThreadName(const std::string& name);
// The name as the system will keep it.
std::string systemThreadName(const std::string& name);
} // namespace qm::platform
