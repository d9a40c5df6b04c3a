#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <cstdint>
#include <functional>

#include "session/export/OutputExportSessionBase.h"
#include "session/parameters/FileExportParameter.h"

namespace Tavrel
{
// Writes the chosen songs of the song list to audio files in a folder.
// start (message thread) runs the checks before anything is written: the
// folder, missing songs, names that clash with the song list's own files or
// with existing files, free space and the 4 GiB limit; then the session's
// thread ("File Export Session") runs the normalise pass and drives the
// converter thread until every song is written, reporting progress every
// 200 ms and, at the end, the songs that failed.
class FileExportSession : public OutputExportSessionBase, public juce::Thread
{
public:
    // Copies both settings sets; the thread is not started.
    FileExportSession(const FileExportParameter& file, const CommonExportParameter& common);
    // Stops the session's thread (cancel, then wait without a limit) before
    // anything else goes.
    ~FileExportSession() override;

    const char* getTitleKey() const override { return kExportTitleKey; }
    bool start() override;
    unsigned getOutputSampleRate() override;
    void run() override;

private:
    FileExportParameter m_file;
};
} // namespace Tavrel
