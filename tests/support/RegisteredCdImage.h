#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/cd/CdDriveRegistry.h"
#include "tests/support/CdImageBuilder.h"
#include "tests/support/TempFolder.h"

namespace qm::test
{
// A disc image written into a test's folder and registered as a CD drive
// while the object lives (or until it is taken out). A registration the
// registry refuses fails the test.
class RegisteredCdImage
{
public:
    RegisteredCdImage(const TempFolder& folder, const std::string& name, const std::vector<CdImageTrack>& tracks,
                      const std::vector<uint8_t>& packs = {})
        : m_name(WriteCdImage(folder.path(), name, tracks, packs))
    {
        EXPECT_TRUE(qm::platform::CdDriveRegistry::Instance().RegisterImage(m_name + ".cue")) << m_name;
    }
    ~RegisteredCdImage() { takeOut(); }
    RegisteredCdImage(const RegisteredCdImage&) = delete;
    RegisteredCdImage& operator=(const RegisteredCdImage&) = delete;

    // Unregisters the drive, as when the disc is taken out.
    void takeOut()
    {
        if (!m_name.empty())
            qm::platform::CdDriveRegistry::Instance().UnregisterImage(m_name);
        m_name.clear();
    }

    // The drive's name (empty once taken out).
    const std::string& Name() const { return m_name; }

private:
    std::string m_name;
};
} // namespace qm::test
