// The report's file stage (length query, whole-file read, close) on a large
// cached file, against a plain read into a zero-filled vector, and the three
// stages of a report together. The file is named by TALLIX_BENCH_FILE
// (bench/run.sh makes a 1 GiB one); without it these benchmarks skip.
//
// The three stages are measured on that file and on files of 16 KiB to
// 16 MiB made here.
//
// Fresh memory costs very different amounts depending on how recently the
// system last used it: a VM that hands free memory back to its host (free
// page reporting) pays a host fault on every first touch of memory that sat
// free for a few seconds. The steady-state benchmarks therefore do one
// untimed run first, so each timed run gets memory freed moments before;
// the AfterIdle one waits before each run to show the other case.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "checksum/tallix.h"
#include "platform/system/files/files.h"

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
    const std::int64_t length = System::QueryFileLength(path);
    const System::ByteBuffer bytes = System::ReadWholeFile(path, length);
    benchmark::DoNotOptimize(bytes.data());
    return length;
}

std::int64_t ZeroFilledVectorRead(const char* path) {
    const std::int64_t length = System::QueryFileLength(path);
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

// What one report costs on the file: read, CRC-32, CRC-16 and the release
// of the bytes.
std::int64_t ThreeStages(const std::string& path) {
    const System::ByteBuffer bytes = System::ReadFileContent(path);
    benchmark::DoNotOptimize(Tallix::CalcCRC32(bytes.bytes()));
    benchmark::DoNotOptimize(Tallix::CalcCRC16(bytes.bytes()));
    return static_cast<std::int64_t>(bytes.size());
}

// Work on the large file: returns the bytes it covered.
using FileWork = std::int64_t (*)(const char* path);

std::int64_t ReadWholeFileStage(const char* path) {
    return FileStage(path);
}
std::int64_t ThreeStagesAsReported(const char* path) {
    return ThreeStages(path);
}

// Steady state: one untimed run first, so each timed run gets memory freed
// moments before.
void Steady(benchmark::State& state, FileWork work) {
    const char* path = BenchFile(state);
    std::int64_t length = path == nullptr ? 0 : work(path);
    for (auto _ : state) {
        length = work(path);
    }
    ReportBytes(state, length);
}

// Each run after the system sat idle for a few seconds.
void AfterIdle(benchmark::State& state, FileWork work) {
    const char* path = BenchFile(state);
    std::int64_t length = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::seconds(6));
        state.ResumeTiming();
        length = work(path);
    }
    ReportBytes(state, length);
}

// A cached file of `size` random bytes in the temporary directory, made on
// first use and removed at exit.
const std::string& SizedFile(std::size_t size) {
    static struct Files {
        std::map<std::size_t, std::string> paths;
        ~Files() {
            for (const auto& [size, path] : paths) {
                std::filesystem::remove(path);
            }
        }
    } files;
    std::string& path = files.paths[size];
    if (path.empty()) {
        path = (std::filesystem::temp_directory_path() /
                ("tallix-bench-" + std::to_string(size) + "-" + std::to_string(::getpid())))
                   .string();
        std::string content(size, '\0');
        std::mt19937_64 random(size);
        for (auto& byte : content) {
            byte = static_cast<char>(random());
        }
        std::ofstream(path, std::ios::binary) << content;
    }
    return path;
}

void ThreeStagesOfSize(benchmark::State& state, std::size_t size) {
    const std::string& path = SizedFile(size);
    ThreeStages(path);
    for (auto _ : state) {
        ThreeStages(path);
    }
    ReportBytes(state, static_cast<std::int64_t>(size));
}

// Named by size in KiB, so the CRC table of bench/summarize.py, which takes
// the benchmarks whose last name part is a number, leaves them out.
const bool kSizedRegistered = [] {
    for (const std::size_t kib : {16, 64, 256, 512, 1024, 2048, 4096, 16384}) {
        const std::size_t size = kib << 10;
        benchmark::RegisterBenchmark(
            ("BM_ThreeStagesOfSize/" + std::to_string(kib) + "KiB").c_str(),
            [size](benchmark::State& state) { ThreeStagesOfSize(state, size); })
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime();
    }
    return true;
}();

// The names are the ones bench/summarize.py looks for.
void Register(const char* name, void (*driver)(benchmark::State&, FileWork), FileWork work) {
    auto* benchmark = benchmark::RegisterBenchmark(
        name, [driver, work](benchmark::State& state) { driver(state, work); });
    benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
    if (driver == AfterIdle) {
        benchmark->Iterations(1)->Repetitions(5);
    }
}

const bool kLargeFileRegistered = [] {
    Register("BM_FileStage_ReadWholeFile", Steady, ReadWholeFileStage);
    Register("BM_FileStage_ReadWholeFile_AfterIdle", AfterIdle, ReadWholeFileStage);
    Register("BM_FileStage_ZeroFilledVector", Steady, ZeroFilledVectorRead);
    Register("BM_ThreeStages", Steady, ThreeStagesAsReported);
    Register("BM_ThreeStages_AfterIdle", AfterIdle, ThreeStagesAsReported);
    return true;
}();

}  // namespace
