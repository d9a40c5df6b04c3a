#include "tests/support/TempFolder.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <sys/wait.h>

namespace qm::test
{
TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quillmark-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

int runCommand(const std::string& commandLine)
{
    const int status = std::system(commandLine.c_str());
    if (status == -1)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string runCommandOutput(const std::string& commandLine)
{
    std::string out;
    FILE* pipe = popen(commandLine.c_str(), "r");
    if (pipe == nullptr)
        return out;
    std::array<char, 4096> buffer{};
    size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        out.append(buffer.data(), n);
    pclose(pipe);
    return out;
}

std::string shellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
    {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += "'";
    return quoted;
}
} // namespace qm::test
