#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/cd/CdDrive.h"

namespace qm::platform
{
// Answers which names are CD drives and opens them.
//
// Drives are the optical device nodes that libcdio finds (resolved with
// realpath, duplicates removed, in natural order: /dev/sr2 before /dev/sr10)
// and CUE/BIN disc images. An image is registered by the path of its cue
// sheet, through RegisterImage or the environment variable
// QUILLMARK_CD_IMAGES (cue paths separated by ':'), and is named by that path
// without ".cue", so a drive name never has an extension. The image's samples
// are read from the ".bin" file beside the cue sheet. Names match exactly:
// /dev/sr1 is not /dev/sr10.
//
// Thread-safe: every operation takes the registry's lock.
class CdDriveRegistry
{
public:
    static constexpr const char* kImagesVariable = "QUILLMARK_CD_IMAGES";

    static CdDriveRegistry& Instance();

    // Every drive name: device nodes first, then images in the order they
    // were registered, then those of the environment variable.
    std::vector<std::string> GetDriveNames();

    // True when the name (a device node, its symbolic link, or an image name)
    // is one of GetDriveNames.
    bool IsDrive(const std::string& name);

    // Registers a disc image by its cue path (made absolute). False when the
    // path does not end in ".cue". Returns the drive name through `name`.
    bool RegisterImage(const std::string& cuePath, std::string* name = nullptr);
    // Forgets a registered image by its drive name; false when unknown.
    bool UnregisterImage(const std::string& name);

    // Opens the drive of that name; null when the name is not a drive.
    std::unique_ptr<CdDrive> OpenDrive(const std::string& name);

    // The device-node part of the list (exposed for tests of the ordering).
    static std::vector<std::string> SortDeviceNames(std::vector<std::string> names);
    static bool NaturalLess(const std::string& a, const std::string& b);

private:
    CdDriveRegistry() = default;

    struct Entry
    {
        std::string name;
        bool isImage = false;
    };
    std::vector<Entry> ListLocked();
    std::string ResolveLocked(const std::string& name, bool* isImage);

    std::mutex m_lock;
    std::vector<std::string> m_images; // registered image names
};
} // namespace qm::platform
