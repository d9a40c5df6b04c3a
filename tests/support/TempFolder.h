#pragma once

#include <filesystem>
#include <string>

namespace qm::test
{
// A fresh folder below the system temporary folder, removed with everything in
// it when the object goes away.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path file(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Runs a command line through /bin/sh and returns its exit status. Used only to
// make fixtures with sox and ffmpeg and to check files with ffprobe.
int runCommand(const std::string& commandLine);

// Runs a command line and returns what it printed on standard output.
std::string runCommandOutput(const std::string& commandLine);

// Quotes a text for the shell.
std::string shellQuote(const std::string& text);
} // namespace qm::test
