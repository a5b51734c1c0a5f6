// Generates the built-in substitution tables: five permutations of 0..255 from
// a seeded shuffle, written as the assignment lines that the table code
// includes. Run it with an output directory to regenerate
// DefaultTablesKE.inc and DefaultTablesKD.inc; the same seed always gives the
// same files.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numeric>
#include <string>

namespace {

constexpr std::uint64_t kSeed = 0x43697068'6F726131ULL;

// splitmix64: small, portable and fully specified, unlike the standard
// library's distributions.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

private:
    std::uint64_t state_;
};

using Permutation = std::array<int, 256>;

Permutation Shuffled(SplitMix64& random) {
    Permutation permutation;
    std::iota(permutation.begin(), permutation.end(), 0);
    for (int i = 255; i > 0; --i) {
        const int j = static_cast<int>(random.Next() % static_cast<std::uint64_t>(i + 1));
        std::swap(permutation[i], permutation[j]);
    }
    return permutation;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        static_cast<void>(std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]));
        return 64;
    }
    const std::string directory = argv[1];
    SplitMix64 random(kSeed);
    std::array<Permutation, 5> stages;
    for (int j = 0; j < 5; ++j) {
        do {
            stages[j] = Shuffled(random);
        } while (std::find(stages.begin(), stages.begin() + j, stages[j]) != stages.begin() + j);
    }

    std::ofstream ke(directory + "/DefaultTablesKE.inc", std::ios::binary);
    std::ofstream kd(directory + "/DefaultTablesKD.inc", std::ios::binary);
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 256; ++i) ke << "lngKE(" << i << "," << j << ") = " << stages[j][i] << ";\n";
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 256; ++i) kd << "lngKD(" << stages[j][i] << "," << j << ") = " << i << ";\n";
    return ke && kd ? 0 : 74;
}
