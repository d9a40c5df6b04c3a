#include "platform/text/PathListVariable.h"

#include <cstdlib>

namespace qm::platform
{
std::vector<std::string> PathListFromEnvironment(const char* variable)
{
    std::vector<std::string> entries;
    const char* value = std::getenv(variable);
    if (value == nullptr)
        return entries;
    const std::string list(value);
    size_t begin = 0;
    while (begin <= list.size())
    {
        size_t end = list.find(':', begin);
        if (end == std::string::npos)
            end = list.size();
        if (end > begin)
            entries.push_back(list.substr(begin, end - begin));
        begin = end + 1;
    }
    return entries;
}
} // namespace qm::platform
