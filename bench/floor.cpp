// The least that any net list program must do with a sheet file: read it
// whole, walk its records and touch every field of each, and write a report
// of a given size. run_bench.sh times dovla32 as a multiple of this.
//
//   floor SHEET REPORT_BYTES OUTPUT
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The body size of each record type below 16; extension records carry
// their length.
constexpr std::size_t bodySizes[10] = {5, 5, 9, 9, 9, 17, 17, 37, 59, 59};

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: floor SHEET REPORT_BYTES OUTPUT\n");
        return 2;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (in == nullptr)
        return 1;
    std::fseek(in, 0, SEEK_END);
    long fileSize = std::ftell(in);
    std::fseek(in, 0, SEEK_SET);
    std::vector<unsigned char> bytes(fileSize > 0 ? static_cast<std::size_t>(fileSize) : 0);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in));
    std::fclose(in);
    unsigned char chunk[1 << 16];

    // Every byte of every record goes into the sum, the 16-bit fields as
    // numbers.
    std::uint64_t sum = 0;
    std::size_t records = 0;
    for (std::size_t at = 0; at < bytes.size(); ++records) {
        unsigned type = bytes[at++];
        std::size_t size = type < 10 ? bodySizes[type] : 13;
        if (at + size > bytes.size())
            break;
        for (std::size_t i = 0; i + 1 < size; i += 2)
            sum += static_cast<std::uint16_t>(bytes[at + i] | bytes[at + i + 1] << 8);
        if (type >= 16) {
            std::size_t length = static_cast<std::size_t>(bytes[at + 9] | bytes[at + 10] << 8);
            size += length > 14 ? length - 14 : 0;
        }
        at += size;
    }

    std::FILE* out = std::fopen(argv[3], "wb");
    if (out == nullptr)
        return 1;
    std::size_t left = std::strtoull(argv[2], nullptr, 10);
    for (std::size_t i = 0; i < sizeof chunk; ++i)
        chunk[i] = static_cast<unsigned char>('0' + (sum + i) % 10);
    while (left > 0) {
        std::size_t n = left < sizeof chunk ? left : sizeof chunk;
        std::fwrite(chunk, 1, n, out);
        left -= n;
    }
    std::fclose(out);
    std::fprintf(stderr, "%zu records\n", records);
    return 0;
}
