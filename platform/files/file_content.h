// The bytes of a file read whole, as the report uses them: a buffer the file
// was read into, or, for a large file, a read-only private mapping of the
// file itself. A mapping is one array of exactly the file's size like the
// buffer, without copying the page cache into fresh memory; but its bytes
// stay the file's, so whoever uses them must run through Use() (a file
// truncated meanwhile raises SIGBUS on the lost pages) and call
// CheckUnchanged() once done with them.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/files/byte_buffer.h"

namespace Platform {

class FileContent {
  public:
    // No bytes: an empty file, which is never opened.
    FileContent() = default;
    // Bytes that were read into a buffer; they no longer depend on the file.
    explicit FileContent(ByteBuffer bytes) noexcept : buffer_(std::move(bytes)) {}
    // Maps the first `info.st_size` bytes of the regular file open as `fd`
    // (described by `info`, its fstat taken before mapping) read-only and
    // brings its pages in, so reading them later costs no I/O. Returns
    // nothing when the file system cannot map the file, and throws
    // PlatformError naming `path` when the pages cannot be brought in; `fd`
    // stays the caller's in both cases. A content returned has taken over
    // `fd` and keeps it open while the mapping lives, as CheckUnchanged()
    // examines the file itself.
    static std::optional<FileContent> Map(int fd, const std::string& path, const struct stat& info);

    ~FileContent();
    FileContent(FileContent&& other) noexcept;
    FileContent& operator=(FileContent&& other) noexcept;
    FileContent(const FileContent&) = delete;
    FileContent& operator=(const FileContent&) = delete;

    std::span<const std::uint8_t> bytes() const noexcept {
        return mapping_ != nullptr ? std::span<const std::uint8_t>(mapping_, mappedSize_)
                                   : buffer_.bytes();
    }
    std::size_t size() const noexcept { return bytes().size(); }
    bool empty() const noexcept { return size() == 0; }
    bool mapped() const noexcept { return mapping_ != nullptr; }

    // Returns use(bytes()). Over a mapping, a bus error on its pages (the
    // file was truncated while `use` read them) stops `use` where it is and
    // throws PlatformError(path, "the file changed while it was being read"),
    // or the system's reason when the file kept its size and the page could
    // not be read. `use` is left by a long jump then, so it must not touch
    // the bytes while it holds anything that needs destroying (a checksum
    // loop does not).
    template <typename Use>
    auto Read(Use&& use) const -> std::invoke_result_t<Use&, std::span<const std::uint8_t>> {
        using Result = std::invoke_result_t<Use&, std::span<const std::uint8_t>>;
        if (mapping_ == nullptr) {
            return use(bytes());
        }
        struct Call {
            Use& use;
            std::span<const std::uint8_t> bytes;
            std::optional<Result> result;
        } call{use, bytes(), std::nullopt};
        RunOverMapping(
            [](void* context) {
                auto& c = *static_cast<Call*>(context);
                c.result.emplace(c.use(c.bytes));
            },
            &call);
        return std::move(*call.result);
    }

    // Throws PlatformError("read", path, "the file changed while it was being
    // read") when a mapped file's size, modification time or change time is
    // no longer what it was when it was mapped: its bytes may then have
    // changed under whoever read them. Bytes in a buffer are the program's
    // own and need no check.
    void CheckUnchanged() const;

  private:
    // Runs `work(context)` with a bus error on the mapping turned into the
    // PlatformError described at Read().
    void RunOverMapping(void (*work)(void*), void* context) const;
    void Release() noexcept;

    ByteBuffer buffer_;
    const std::uint8_t* mapping_ = nullptr;
    std::size_t mappedSize_ = 0;
    int fd_ = -1;
    std::string path_;
    struct stat before_ {};
};

}  // namespace Platform
