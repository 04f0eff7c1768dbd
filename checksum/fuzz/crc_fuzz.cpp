// Every CRC kernel the CPU supports must give the byte loop's register for
// any input, any starting register and any split of the input in two.
//
// Input layout: 4 bytes of starting register, 2 bytes of split point, then
// the message. The message is copied to a buffer of exactly its size so
// the address sanitizer sees any read past either end.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>

#include "checksum/kernels/crc_kernels.h"
#include "checksum/tallix.h"

namespace {

void Check(bool same, const char* kernel, const char* what) {
    if (!same) {
        std::fprintf(stderr, "kernel %s disagrees with the byte loop: %s\n", kernel, what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) {
        return 0;
    }
    std::uint32_t start = 0;
    std::memcpy(&start, data, 4);
    std::uint16_t splitSeed = 0;
    std::memcpy(&splitSeed, data + 4, 2);
    const std::size_t length = size - 6;
    const auto copy = std::make_unique<std::uint8_t[]>(length);
    if (length > 0) {
        std::memcpy(copy.get(), data + 6, length);
    }
    const std::span<const std::uint8_t> message(copy.get(), length);
    const std::size_t split = length == 0 ? 0 : splitSeed % (length + 1);
    const auto start16 = static_cast<std::uint16_t>(start);

    const std::uint32_t expect32 = Tallix::CRC32ByteLoop(start, message);
    const std::uint16_t expect16 = Tallix::CRC16ByteLoop(start16, message);
    for (const Tallix::CRCKernel& kernel : Tallix::CRCKernels()) {
        if (!kernel.supported()) {
            continue;
        }
        Check(kernel.crc32(start, message) == expect32, kernel.name, "CRC-32 whole");
        Check(kernel.crc16(start16, message) == expect16, kernel.name, "CRC-16 whole");
        const std::uint32_t pieces32 =
            kernel.crc32(kernel.crc32(start, message.first(split)), message.subspan(split));
        const std::uint16_t pieces16 =
            kernel.crc16(kernel.crc16(start16, message.first(split)), message.subspan(split));
        Check(pieces32 == expect32, kernel.name, "CRC-32 in two pieces");
        Check(pieces16 == expect16, kernel.name, "CRC-16 in two pieces");
    }
    return 0;
}
