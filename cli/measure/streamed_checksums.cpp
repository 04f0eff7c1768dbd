// The report's checksums without the whole file in memory: each piece is
// read into a small buffer and both checksums run over it while it is still
// in the cache, so the file passes through memory once.
#include "cli/measure/streamed_checksums.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <span>
#include <system_error>
#include <thread>
#include <vector>

#include "checksum/tallix.h"
#include "platform/system/files/stream_read.h"

namespace Cli {
namespace {

// The checksums of a run of bytes, and how many there were.
struct Sums {
    std::uint32_t crc32 = Tallix::kCRC32OfNothing;
    std::uint16_t crc16 = Tallix::kCRC16OfNothing;
    std::int64_t length = 0;
    std::atomic<std::int64_t>* counter = nullptr;  // the caller's count of bytes read

    void Add(std::span<const std::uint8_t> bytes) {
        crc32 = Tallix::ExtendCRC32(crc32, bytes);
        crc16 = Tallix::ExtendCRC16(crc16, bytes);
        Count(static_cast<std::int64_t>(bytes.size()));
    }
    void AddZeroes(std::int64_t count) {
        crc32 = Tallix::ExtendCRC32ByZeroes(crc32, static_cast<std::uint64_t>(count));
        crc16 = Tallix::ExtendCRC16ByZeroes(crc16, static_cast<std::uint64_t>(count));
        Count(count);
    }
    void Count(std::int64_t count) {
        length += count;
        if (counter != nullptr) {
            counter->fetch_add(count, std::memory_order_relaxed);
        }
    }
    void Append(const Sums& next) {
        const auto count = static_cast<std::uint64_t>(next.length);
        crc32 = Tallix::ConcatCRC32(crc32, next.crc32, count);
        crc16 = Tallix::ConcatCRC16(crc16, next.crc16, count);
        length += next.length;
    }
};

// Read buffers for the threads at work, each taken for one part or stream
// and given back after it, so a run over many files allocates about one per
// thread. A buffer starts on a page: the kernel copies into a buffer off a
// cache-line boundary (as malloc returns from 128 KiB up: 16 bytes past a
// page) at a third of the speed on this machine. (A thread_local buffer
// would need no lock, but MinGW's thread-exit destructors crash.)
class ReadBuffers {
  private:
    static constexpr std::align_val_t kPage{4096};
    struct Release {
        void operator()(std::uint8_t* bytes) const { ::operator delete[](bytes, kPage); }
    };
    using Buffer = std::unique_ptr<std::uint8_t[], Release>;

  public:
    class Lease {
      public:
        explicit Lease(ReadBuffers& pool) : pool_(pool), bytes_(pool.Take()) {}
        ~Lease() { pool_.Give(std::move(bytes_)); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        std::span<std::uint8_t> span() const { return {bytes_.get(), kStreamChunkBytes}; }

      private:
        ReadBuffers& pool_;
        Buffer bytes_;
    };

  private:
    Buffer Take() {
        {
            const std::lock_guard lock(mutex_);
            if (!free_.empty()) {
                Buffer buffer = std::move(free_.back());
                free_.pop_back();
                return buffer;
            }
        }
        return Buffer(static_cast<std::uint8_t*>(::operator new[](kStreamChunkBytes, kPage)));
    }
    // Keeps `buffer` for the next taker; when there is no memory to keep it
    // by, it is freed instead.
    void Give(Buffer buffer) noexcept {
        const std::lock_guard lock(mutex_);
        try {
            free_.push_back(std::move(buffer));
        } catch (const std::bad_alloc&) {
        }
    }

    std::mutex mutex_;
    std::vector<Buffer> free_;
};

ReadBuffers readBuffers;

// A part of a file taken at its size. `ended` says the part ended before
// `end` (a file on a pseudo file system holds fewer bytes than it said).
struct PartSums {
    Sums sums;
    bool ended = false;
};

PartSums SumPart(const System::FileReader& file, std::int64_t begin, std::int64_t end,
                 std::atomic<std::int64_t>* counter) {
    const ReadBuffers::Lease lease(readBuffers);
    const std::span<std::uint8_t> buffer = lease.span();
    PartSums part;
    part.sums.counter = counter;
    bool folded = false;
    for (std::int64_t at = begin; at < end;) {
        const std::int64_t data = std::min(file.DataFrom(at), end);
        if (data > at) {
            part.sums.AddZeroes(data - at);
            folded = true;
            at = data;
            continue;
        }
        const std::int64_t hole = std::min(file.HoleFrom(at), end);
        while (at < hole) {
            const auto wanted = static_cast<std::size_t>(
                std::min<std::int64_t>(hole - at, static_cast<std::int64_t>(buffer.size())));
            const std::size_t got = file.ReadAt(at, buffer.first(wanted));
            part.sums.Add(buffer.first(got));
            at += static_cast<std::int64_t>(got);
            if (got < wanted) {
                part.ended = true;
                return part;
            }
        }
    }
    if (folded) {
        // Holes are never read, so a file cut short meanwhile (whose lost
        // end now looks like a hole) is found by its size.
        file.RequireLength();
    }
    return part;
}

// The parts in order, each on a thread of its own but the first, which runs
// on the caller's, as do those no thread could be started for. Rethrows
// the first part's error, in file order.
std::vector<PartSums> SumParts(const System::FileReader& file, unsigned parts,
                               std::atomic<std::int64_t>* counter) {
    const std::int64_t length = file.length();
    std::vector<PartSums> sums(parts);
    std::vector<std::exception_ptr> errors(parts);
    const auto run = [&](unsigned part) {
        try {
            sums[part] = SumPart(file, length * part / parts, length * (part + 1) / parts, counter);
        } catch (...) {
            errors[part] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    unsigned part = 1;
    try {
        for (; part < parts; ++part) {
            threads.emplace_back(run, part);
        }
    } catch (const std::system_error&) {
        // The parts no thread could be started for run here after the first.
    }
    run(0);
    for (; part < parts; ++part) {
        run(part);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const std::exception_ptr& error : errors) {
        if (error) {
            std::rethrow_exception(error);
        }
    }
    return sums;
}

// A file taken at its size, split when large enough. Parts only join into
// the file's checksums when they meet: should a part end early (a pseudo
// file holding less than it said), the file is read again as one part.
Sums SumFileAtItsSize(const System::FileReader& file, unsigned threads,
                      std::atomic<std::int64_t>* counter) {
    const auto largest =
        static_cast<unsigned>(std::max<std::int64_t>(1, file.length() / kSplitFileBytes));
    const unsigned parts = std::max(1u, std::min(threads, largest));
    if (parts == 1) {
        return SumPart(file, 0, file.length(), counter).sums;
    }
    Sums whole;
    bool endedBefore = false;
    for (const PartSums& part : SumParts(file, parts, counter)) {
        if (endedBefore && part.sums.length > 0) {
            return SumPart(file, 0, file.length(), counter).sums;
        }
        whole.Append(part.sums);
        endedBefore = endedBefore || part.ended;
    }
    return whole;
}

Sums SumToEnd(System::FileReader& reader, std::atomic<std::int64_t>* counter) {
    const ReadBuffers::Lease lease(readBuffers);
    const std::span<std::uint8_t> buffer = lease.span();
    Sums sums;
    sums.counter = counter;
    while (const std::size_t got = reader.Read(buffer)) {
        sums.Add(buffer.first(got));
    }
    return sums;
}

Window::FileReport ReportOf(const std::string& name, const Sums& sums) {
    return {name, sums.length, Tallix::CRC32Text(sums.crc32), Tallix::CRC16Text(sums.crc16), {}};
}

}  // namespace

Window::FileReport ChecksumFile(const std::string& filename, unsigned threads,
                                std::atomic<std::int64_t>* bytesRead) {
    System::FileReader file = System::FileReader::Open(filename);
    return ChecksumOpenFile(file, threads, bytesRead);
}

Window::FileReport ChecksumOpenFile(System::FileReader& file, unsigned threads,
                                    std::atomic<std::int64_t>* bytesRead) {
    return ReportOf(file.name(), file.length() >= 0 ? SumFileAtItsSize(file, threads, bytesRead)
                                                    : SumToEnd(file, bytesRead));
}

Window::FileReport ChecksumStream(System::InputStream input, const std::string& name,
                                  std::atomic<std::int64_t>* bytesRead) {
    System::FileReader stream = System::FileReader::Stream(input, name);
    return ReportOf(name, SumToEnd(stream, bytesRead));
}

}  // namespace Cli
