#pragma once

#include <map>
#include <mutex>
#include <string>

#include "platform/burn/DiscRecorder.h"
#include "platform/burn/ImageDiscRecorder.h"

namespace qm::platform
{
// The machine's disc recorders: the optical drives that the disc-writing
// library finds (named by their device nodes, /dev/sr0) and image targets
// that write CUE/BIN images (ImageDiscRecorder). An image target is named by
// a path without extension and comes from RegisterImageTarget or from the
// environment variable QUILLMARK_BURN_IMAGES (names separated by ':'; such
// targets are CD-Rs that support every write mode). Drives come first, then
// registered targets, then those of the environment.
//
// Thread-safe: every operation takes the registry's lock, except the jobs of
// the opened recorders.
class DiscRecorderRegistry final : public DiscRecorderSystem
{
public:
    static constexpr const char* kImagesVariable = "QUILLMARK_BURN_IMAGES";

    static DiscRecorderRegistry& Instance();

    // Starts the disc-writing library on the first call; image targets work
    // without it. Always true.
    bool Start() override;
    // Ends the library after the last Start's Shutdown.
    void Shutdown() override;
    std::vector<DiscRecorderInfo> ScanRecorders() override;
    std::unique_ptr<DiscRecorder> OpenRecorder(const std::string& name) override;

    // Registers an image target by a path without extension (made absolute;
    // the name is returned through `name`), or changes its options. False
    // when the name cannot name a target.
    bool RegisterImageTarget(const std::string& path, const ImageRecorderOptions& options = {},
                             std::string* name = nullptr);
    bool UnregisterImageTarget(const std::string& name);

private:
    DiscRecorderRegistry() = default;

    std::vector<std::pair<std::string, ImageRecorderOptions>> ImageTargetsLocked() const;

    std::mutex m_lock;
    std::vector<std::pair<std::string, ImageRecorderOptions>> m_targets;
    int m_starts = 0;
    bool m_libraryStarted = false;
};
} // namespace qm::platform
