#include "platform/files/file_content.h"

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <mutex>

#include "platform/os/error.h"

#ifndef MADV_POPULATE_READ
#define MADV_POPULATE_READ 22  // Linux 5.14
#endif

namespace Platform {
namespace {

constexpr char kChanged[] = "the file changed while it was being read";

// A bus error inside [begin, end) of the calling thread's guarded mapping
// jumps back to `jump`.
struct BusErrorGuard {
    sigjmp_buf jump;
    const std::uint8_t* begin;
    const std::uint8_t* end;
};

// The guard of the running thread, read by the signal handler. Initial-exec
// TLS is a fixed offset from the thread pointer: safe to read in a handler.
thread_local BusErrorGuard* activeGuard __attribute__((tls_model("initial-exec"))) = nullptr;

// The process-wide handler is installed while at least one thread runs over
// a mapping, and the disposition found before is put back after the last.
std::mutex handlerMutex;
int handlerUsers = 0;
struct sigaction previousAction {};

void OnBusError(int signal, siginfo_t* info, void* /*context*/) {
    BusErrorGuard* const guard = activeGuard;
    const auto* address = static_cast<const std::uint8_t*>(info->si_addr);
    if (guard != nullptr && info->si_code > 0 && address >= guard->begin && address < guard->end) {
        siglongjmp(guard->jump, 1);
    }
    // Not a fault on a guarded mapping: give the signal back to whatever
    // handled it before. A fault repeats when the instruction runs again on
    // return; a signal sent by someone is sent again.
    ::sigaction(SIGBUS, &previousAction, nullptr);
    if (info->si_code <= 0) {
        ::raise(signal);
    }
}

class BusErrorHandlerScope {
  public:
    BusErrorHandlerScope() {
        const std::lock_guard lock(handlerMutex);
        if (handlerUsers++ == 0) {
            struct sigaction action {};
            action.sa_sigaction = OnBusError;
            action.sa_flags = SA_SIGINFO | SA_ONSTACK;
            sigemptyset(&action.sa_mask);
            ::sigaction(SIGBUS, &action, &previousAction);
        }
    }
    ~BusErrorHandlerScope() {
        const std::lock_guard lock(handlerMutex);
        if (--handlerUsers == 0) {
            ::sigaction(SIGBUS, &previousAction, nullptr);
        }
    }
    BusErrorHandlerScope(const BusErrorHandlerScope&) = delete;
    BusErrorHandlerScope& operator=(const BusErrorHandlerScope&) = delete;
};

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_size == b.st_size && SameTime(a.st_mtim, b.st_mtim) &&
           SameTime(a.st_ctim, b.st_ctim);
}

std::size_t PageRounded(std::size_t size) {
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    return (size + page - 1) / page * page;
}

}  // namespace

std::optional<FileContent> FileContent::Map(int fd, const std::string& path,
                                            const struct stat& info) {
    const auto size = static_cast<std::size_t>(info.st_size);
    void* const address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (address == MAP_FAILED) {
        return std::nullopt;
    }
    std::optional<FileContent> content(std::in_place);
    content->mapping_ = static_cast<const std::uint8_t*>(address);
    content->mappedSize_ = size;
    content->path_ = path;
    content->before_ = info;
    // Brings every page in now, reading from the disk what is not cached, so
    // the file stage does the file's work and the checksum stages only
    // compute. Unlike MAP_POPULATE it reports failure: a page past a new end
    // of the file (EFAULT) or one that could not be read. Kernels before 5.14
    // do not know it (EINVAL); their pages come in on first touch.
    if (::madvise(address, size, MADV_POPULATE_READ) != 0 && errno != EINVAL) {
        throw errno == EFAULT ? PlatformError("read", path, kChanged)
                              : SystemError("read", path, errno);
    }
    content->fd_ = fd;
    return content;
}

FileContent::~FileContent() {
    Release();
}

FileContent::FileContent(FileContent&& other) noexcept
    : buffer_(std::move(other.buffer_)),
      mapping_(std::exchange(other.mapping_, nullptr)),
      mappedSize_(std::exchange(other.mappedSize_, 0)),
      fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      before_(other.before_) {}

FileContent& FileContent::operator=(FileContent&& other) noexcept {
    if (this != &other) {
        Release();
        buffer_ = std::move(other.buffer_);
        mapping_ = std::exchange(other.mapping_, nullptr);
        mappedSize_ = std::exchange(other.mappedSize_, 0);
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
        before_ = other.before_;
    }
    return *this;
}

void FileContent::Release() noexcept {
    if (mapping_ != nullptr) {
        ::munmap(const_cast<std::uint8_t*>(mapping_), mappedSize_);
        mapping_ = nullptr;
        mappedSize_ = 0;
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void FileContent::RunOverMapping(void (*work)(void*), void* context) const {
    const BusErrorHandlerScope handler;
    BusErrorGuard guard;
    guard.begin = mapping_;
    guard.end = mapping_ + PageRounded(mappedSize_);
    BusErrorGuard* const outer = activeGuard;
    if (sigsetjmp(guard.jump, 1) != 0) {
        activeGuard = outer;
        // The pages went away: the file shrank, or was cut and grown back
        // (then its times changed), or a page could not be read.
        struct stat now {};
        if (::fstat(fd_, &now) != 0 || !SameFile(before_, now)) {
            throw PlatformError("read", path_, kChanged);
        }
        throw SystemError("read", path_, EIO);
    }
    activeGuard = &guard;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    work(context);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    activeGuard = outer;
}

void FileContent::CheckUnchanged() const {
    if (mapping_ == nullptr) {
        return;
    }
    struct stat now {};
    if (::fstat(fd_, &now) != 0) {
        throw SystemError("read", path_, errno);
    }
    if (!SameFile(before_, now)) {
        throw PlatformError("read", path_, kChanged);
    }
}

}  // namespace Platform
