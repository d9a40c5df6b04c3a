#pragma once

#include <cstddef>
#include <cstring>
#include <new>

// A zero-initialised float array aligned to a cache line, for filter tables and histories
// that the vector kernels read.
class AlignedFloatArray
{
public:
    static constexpr std::size_t kAlignment = 64;

    AlignedFloatArray() = default;
    explicit AlignedFloatArray(std::size_t count) { Resize(count); }
    ~AlignedFloatArray() { Free(); }

    AlignedFloatArray(const AlignedFloatArray&) = delete;
    AlignedFloatArray& operator=(const AlignedFloatArray&) = delete;

    // Replaces the contents with count zeros.
    void Resize(std::size_t count)
    {
        Free();
        if (count == 0)
            return;
        m_data = static_cast<float*>(::operator new[](count * sizeof(float), std::align_val_t{kAlignment}));
        m_size = count;
        Zero();
    }

    void Zero()
    {
        if (m_data)
            std::memset(m_data, 0, m_size * sizeof(float));
    }

    float* data() { return m_data; }
    const float* data() const { return m_data; }
    std::size_t size() const { return m_size; }

private:
    void Free()
    {
        if (m_data)
            ::operator delete[](m_data, std::align_val_t{kAlignment});
        m_data = nullptr;
        m_size = 0;
    }

    float* m_data = nullptr;
    std::size_t m_size = 0;
};
