#pragma once

#include <string>
#include <vector>

namespace qm::platform
{
// The non-empty entries of an environment variable that lists paths
// separated by ':' (as PATH does), in order; empty when it is not set.
std::vector<std::string> PathListFromEnvironment(const char* variable);
} // namespace qm::platform
