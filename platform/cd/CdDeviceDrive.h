#pragma once

#include <string>

#include "platform/cd/CdDrive.h"

typedef struct _CdIo CdIo_t;

namespace qm::platform
{
// A CD drive device node, read through libcdio's Linux driver.
class CdDeviceDrive final : public CdDrive
{
public:
    explicit CdDeviceDrive(std::string devicePath);
    ~CdDeviceDrive() override;

    const std::string& GetName() const override { return m_path; }
    bool IsMediaPresent() override;
    bool ReadToc(CdToc& toc) override;
    bool ReadAudioSectors(int32_t lsn, uint32_t count, uint8_t* buffer) override;
    std::vector<uint8_t> ReadCdTextPacks() override;

private:
    bool EnsureOpen();

    std::string m_path;
    CdIo_t* m_cdio = nullptr;
};
} // namespace qm::platform
