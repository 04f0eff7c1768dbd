// The report's file stage (length query, whole-file read, close) on a large
// cached file, against a plain read into a zero-filled vector, and the three
// stages of a report together. The file is named by TALLIX_BENCH_FILE
// (bench/run.sh makes a 1 GiB one); without it these benchmarks skip.
//
// Fresh memory costs very different amounts depending on how recently the
// system last used it: a VM that hands free memory back to its host (free
// page reporting) pays a host fault on every first touch of memory that sat
// free for a few seconds. The steady-state benchmarks therefore do one
// untimed run first, so each timed run gets memory freed moments before;
// the AfterIdle one waits before each run to show the other case.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "checksum/tallix.h"
#include "platform/os/files.h"

namespace {

const char* BenchFile(benchmark::State& state) {
    const char* path = std::getenv("TALLIX_BENCH_FILE");
    if (path == nullptr || *path == '\0') {
        state.SkipWithError("set TALLIX_BENCH_FILE to a large file");
        return nullptr;
    }
    return path;
}

void ReportBytes(benchmark::State& state, std::int64_t length) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * length);
}

// The file stage as the report runs it; returns the length read.
std::int64_t FileStage(const char* path) {
    const std::int64_t length = Platform::QueryFileLength(path);
    const Platform::ByteBuffer bytes = Platform::ReadWholeFile(path, length);
    benchmark::DoNotOptimize(bytes.data());
    return length;
}

std::int64_t ZeroFilledVectorRead(const char* path) {
    const std::int64_t length = Platform::QueryFileLength(path);
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
    return length;
}

void BM_FileStage_ReadWholeFile(benchmark::State& state) {
    const char* path = BenchFile(state);
    std::int64_t length = path == nullptr ? 0 : FileStage(path);
    for (auto _ : state) {
        length = FileStage(path);
    }
    ReportBytes(state, length);
}

void BM_FileStage_ReadWholeFile_AfterIdle(benchmark::State& state) {
    const char* path = BenchFile(state);
    std::int64_t length = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::seconds(6));
        state.ResumeTiming();
        length = FileStage(path);
    }
    ReportBytes(state, length);
}

void BM_FileStage_ZeroFilledVector(benchmark::State& state) {
    const char* path = BenchFile(state);
    std::int64_t length = path == nullptr ? 0 : ZeroFilledVectorRead(path);
    for (auto _ : state) {
        length = ZeroFilledVectorRead(path);
    }
    ReportBytes(state, length);
}

// What one report costs on the file: read, CRC-32, CRC-16.
void BM_ThreeStages(benchmark::State& state) {
    const char* path = BenchFile(state);
    std::int64_t length = path == nullptr ? 0 : FileStage(path);
    for (auto _ : state) {
        length = Platform::QueryFileLength(path);
        const Platform::ByteBuffer bytes = Platform::ReadWholeFile(path, length);
        benchmark::DoNotOptimize(Tallix::CalcCRC32(bytes.bytes()));
        benchmark::DoNotOptimize(Tallix::CalcCRC16(bytes.bytes()));
    }
    ReportBytes(state, length);
}

BENCHMARK(BM_FileStage_ReadWholeFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FileStage_ReadWholeFile_AfterIdle)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5);
BENCHMARK(BM_FileStage_ZeroFilledVector)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ThreeStages)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
