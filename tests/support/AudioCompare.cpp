#include "tests/support/AudioCompare.h"

#include <cmath>
#include <fstream>

namespace qm::test
{
std::vector<std::vector<int32_t>> readRawS32(const std::filesystem::path& file, int channels)
{
    std::vector<std::vector<int32_t>> out(static_cast<size_t>(channels));
    std::ifstream in(file, std::ios::binary);
    std::vector<int32_t> frame(static_cast<size_t>(channels));
    while (in.read(reinterpret_cast<char*>(frame.data()), static_cast<std::streamsize>(frame.size() * 4)))
        for (size_t c = 0; c < frame.size(); ++c)
            out[c].push_back(frame[c]);
    return out;
}

LagMatch findLag(const std::vector<int32_t>& source, const std::vector<int32_t>& decoded, size_t from, size_t count,
                 long maxLag)
{
    LagMatch best{0, -2.0};
    for (long lag = -maxLag; lag <= maxLag; ++lag)
    {
        double c = 0, e1 = 0, e2 = 0;
        for (size_t i = from; i < from + count && i < source.size(); ++i)
        {
            const long j = static_cast<long>(i) + lag;
            if (j < 0 || j >= static_cast<long>(decoded.size()))
                continue;
            const double s = source[i];
            const double d = decoded[static_cast<size_t>(j)];
            c += s * d;
            e1 += s * s;
            e2 += d * d;
        }
        const double nc = (e1 > 0 && e2 > 0) ? c / std::sqrt(e1 * e2) : 0.0;
        if (nc > best.correlation)
            best = {lag, nc};
    }
    return best;
}

double snrDb(const std::vector<int32_t>& a, const std::vector<int32_t>& b)
{
    double signal = 0, diff = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    {
        signal += static_cast<double>(a[i]) * a[i];
        const double d = static_cast<double>(a[i]) - b[i];
        diff += d * d;
    }
    if (diff == 0)
        return 1000.0;
    return 10.0 * std::log10(signal / diff);
}
} // namespace qm::test
