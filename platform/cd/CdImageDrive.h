#pragma once

#include <filesystem>
#include <string>

#include "platform/cd/CdDrive.h"

typedef struct _CdIo CdIo_t;

namespace qm::platform
{
// A CUE/BIN disc image standing in for a drive with its disc. The drive name
// is the cue path without ".cue" (or ".CUE"); libcdio reads the samples from
// the ".bin" file of the same name, whatever the cue sheet's FILE line says. CD-TEXT
// comes from the pack file that the cue sheet's CDTEXTFILE line names.
// An image cannot tell sessions apart.
class CdImageDrive final : public CdDrive
{
public:
    explicit CdImageDrive(std::string name);
    ~CdImageDrive() override;

    const std::string& GetName() const override { return m_name; }
    bool IsMediaPresent() override;
    bool ReadToc(CdToc& toc) override;
    bool ReadAudioSectors(int32_t lsn, uint32_t count, uint8_t* buffer) override;
    std::vector<uint8_t> ReadCdTextPacks() override;

    // The pack file named by the first CDTEXTFILE line of a cue sheet,
    // relative to the cue sheet's folder; empty when there is none.
    static std::filesystem::path FindCdTextFile(const std::filesystem::path& cuePath);

private:
    bool EnsureOpen();

    std::string m_name;
    std::filesystem::path m_cue; // NAME.cue (or NAME.CUE), found by IsMediaPresent
    std::filesystem::path m_bin; // NAME.bin (or NAME.BIN)
    CdIo_t* m_cdio = nullptr;
};
} // namespace qm::platform
