#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/media/WmaEncoder.h"

namespace qm::test
{
// A file output over stdio that can be told to fail after a number of bytes.
class WmaFileOutput : public qm::platform::WmaEncoderOutput
{
public:
    explicit WmaFileOutput(const std::string& path, int64_t failAfter = -1)
        : m_file(std::fopen(path.c_str(), "w+b")),
          m_failAfter(failAfter)
    {
    }
    ~WmaFileOutput() override
    {
        if (m_file != nullptr)
            std::fclose(m_file);
    }
    uint32_t write(const uint8_t* data, uint32_t size) override
    {
        if (m_failAfter >= 0 && m_written + size > static_cast<uint64_t>(m_failAfter))
            return 0;
        m_written += size;
        return static_cast<uint32_t>(std::fwrite(data, 1, size, m_file));
    }
    int64_t seek(int64_t offset, int origin) override
    {
        if (std::fseek(m_file, offset, origin) != 0)
            return -1;
        return std::ftell(m_file);
    }
    int64_t size() override
    {
        const long at = std::ftell(m_file);
        std::fseek(m_file, 0, SEEK_END);
        const long end = std::ftell(m_file);
        std::fseek(m_file, at, SEEK_SET);
        return end;
    }

private:
    std::FILE* m_file;
    int64_t m_failAfter;
    uint64_t m_written = 0;
};

} // namespace qm::test
