// The floor of a file conversion: reads a file in large blocks and writes as
// many bytes as the conversion's output has, doing nothing else.
//
//   ciphora-floor INPUT OUTPUT OUTPUT_BYTES

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 4) {
        static_cast<void>(std::fprintf(stderr, "usage: %s INPUT OUTPUT OUTPUT_BYTES\n", argv[0]));
        return 64;
    }
    const int input = open(argv[1], O_RDONLY);
    const int output = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (input < 0 || output < 0) return 66;
    unsigned long long remaining = std::strtoull(argv[3], nullptr, 10);
    std::vector<char> block(4u << 20);
    for (;;) {
        const ssize_t got = read(input, block.data(), block.size());
        if (got < 0) return 74;
        if (got == 0) break;
    }
    while (remaining > 0) {
        const std::size_t size = remaining < block.size() ? remaining : block.size();
        const ssize_t written = write(output, block.data(), size);
        if (written <= 0) return 73;
        remaining -= static_cast<unsigned long long>(written);
    }
    return close(output) == 0 ? 0 : 73;
}
