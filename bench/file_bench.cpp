// The report's file stage (length query, whole-file read, close) on a large
// cached file, against a plain read into a zero-filled vector, and the three
// stages of a report together. The file is named by TALLIX_BENCH_FILE
// (bench/run.sh makes a 1 GiB one); without it these benchmarks skip.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "checksum/tallix.h"
#include "platform/files.h"

namespace {

const char* BenchFile(benchmark::State& state) {
    const char* path = std::getenv("TALLIX_BENCH_FILE");
    if (path == nullptr || *path == '\0') {
        state.SkipWithError("set TALLIX_BENCH_FILE to a large file");
    }
    return path;
}

void ReportBytes(benchmark::State& state, std::int64_t length) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * length);
}

void BM_FileStage_ReadWholeFile(benchmark::State& state) {
    const char* path = BenchFile(state);
    std::int64_t length = 0;
    for (auto _ : state) {
        length = Platform::QueryFileLength(path);
        const Platform::ByteBuffer bytes = Platform::ReadWholeFile(path, length);
        benchmark::DoNotOptimize(bytes.data());
    }
    ReportBytes(state, length);
}

void BM_FileStage_ZeroFilledVector(benchmark::State& state) {
    const char* path = BenchFile(state);
    std::int64_t length = 0;
    for (auto _ : state) {
        length = Platform::QueryFileLength(path);
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got <= 0) {
                break;
            }
            done += static_cast<std::size_t>(got);
        }
        ::close(fd);
        benchmark::DoNotOptimize(bytes.data());
    }
    ReportBytes(state, length);
}

// What one report costs on the file: read, CRC-32, CRC-16.
void BM_ThreeStages(benchmark::State& state) {
    const char* path = BenchFile(state);
    std::int64_t length = 0;
    for (auto _ : state) {
        length = Platform::QueryFileLength(path);
        const Platform::ByteBuffer bytes = Platform::ReadWholeFile(path, length);
        benchmark::DoNotOptimize(Tallix::CalcCRC32(bytes.bytes()));
        benchmark::DoNotOptimize(Tallix::CalcCRC16(bytes.bytes()));
    }
    ReportBytes(state, length);
}

BENCHMARK(BM_FileStage_ReadWholeFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FileStage_ZeroFilledVector)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ThreeStages)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
