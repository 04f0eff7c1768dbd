// Runs the three stages of a report on one file, as the window does (the
// file read whole by System::ReadFileContent), and prints how long
// each took, so the whole can be timed as a process beside
// `cat` and `cksum` on the same file. Usage: tallix_stages FILE
#include <chrono>
#include <cstdio>
#include <exception>

#include "checksum/tallix.h"
#include "platform/system/files/files.h"

namespace {

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    try {
        auto start = std::chrono::steady_clock::now();
        const System::ByteBuffer bytes = System::ReadFileContent(argv[1]);
        const double fileMs = MillisecondsSince(start);
        start = std::chrono::steady_clock::now();
        const std::string crc32 = Tallix::CalcCRC32(bytes.bytes());
        const double crc32Ms = MillisecondsSince(start);
        start = std::chrono::steady_clock::now();
        const std::string crc16 = Tallix::CalcCRC16(bytes.bytes());
        const double crc16Ms = MillisecondsSince(start);
        std::printf("file_ms %.2f crc32_ms %.2f crc16_ms %.2f crc32 %s crc16 %s\n", fileMs, crc32Ms,
                    crc16Ms, crc32.c_str(), crc16.c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
