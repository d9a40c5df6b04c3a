// Runs a fuzz target without libFuzzer: over the files named on the command
// line, or, without arguments, over a fixed series of pseudo-random inputs.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    if (argc > 1)
    {
        for (int i = 1; i < argc; ++i)
        {
            std::ifstream in(argv[i], std::ios::binary);
            if (!in)
            {
                std::fprintf(stderr, "cannot read %s\n", argv[i]);
                return 1;
            }
            const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(data.data(), data.size());
        }
        return 0;
    }
    uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return uint32_t(state >> 33);
    };
    std::vector<uint8_t> data;
    for (int run = 0; run < 20000; ++run)
    {
        data.resize(next() % 1024);
        for (auto& byte : data)
            byte = uint8_t(next());
        LLVMFuzzerTestOneInput(data.data(), data.size());
    }
    return 0;
}
