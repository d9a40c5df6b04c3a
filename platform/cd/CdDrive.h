#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/cd/CdToc.h"

namespace qm::platform
{
// One CD drive: a device node (/dev/sr0) or a CUE/BIN disc image standing in
// for a drive with its disc. Obtained from CdDriveRegistry::OpenDrive. One
// object is used by one thread at a time.
class CdDrive
{
public:
    // Bytes of one audio sector: 588 stereo frames of 16-bit samples.
    static constexpr uint32_t kSectorBytes = 2352;
    static constexpr uint32_t kFramesPerSector = 588;

    virtual ~CdDrive() = default;

    // The drive's name as the registry lists it.
    virtual const std::string& GetName() const = 0;

    // True when a readable medium is in the drive. Never waits for a tray or
    // spins up a disc beyond what the drive status request does.
    virtual bool IsMediaPresent() = 0;

    // Reads the table of contents. False when there is no medium, it cannot
    // be read, or what the drive reports is not a consistent layout.
    virtual bool ReadToc(CdToc& toc) = 0;

    // Reads `count` audio sectors from `lsn` into `buffer` (count x 2352
    // bytes, samples little-endian, left then right). False when the drive
    // reports a failure or, for a disc image, when the sectors are not all in
    // its bin file.
    virtual bool ReadAudioSectors(int32_t lsn, uint32_t count, uint8_t* buffer) = 0;

    // The disc's CD-TEXT packs, 18 bytes each, without the 4-byte response
    // header; empty when the disc has none or they cannot be read. A trailing
    // part shorter than a pack is dropped.
    virtual std::vector<uint8_t> ReadCdTextPacks() = 0;

protected:
    CdDrive() = default;
};
} // namespace qm::platform
