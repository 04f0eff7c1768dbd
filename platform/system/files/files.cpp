#include "platform/system/files/files.h"

#include <cstring>
#include <exception>
#include <new>
#include <utility>

#include "platform/system/files/files_system.h"
#include "platform/system/files/memory_check.h"
#include "platform/system/os/decimal_text.h"
#include "platform/system/os/error.h"
#include "platform/system/os/translation.h"

namespace System {

ByteBuffer AllocateBuffer(const std::string& path, std::int64_t length, ByteBuffer* kept) {
    const auto size = static_cast<std::uint64_t>(length);
    if (kept != nullptr && size >= ByteBuffer::kMappedThreshold) {
        if (size <= kept->capacity()) {
            ByteBuffer buffer = std::move(*kept);
            buffer.Refit(static_cast<std::size_t>(size));
            return buffer;
        }
        // Released first: never both at once, and what the system then
        // has to give is what the check weighs.
        *kept = ByteBuffer();
    }
    if (length >= kMemoryCheckThreshold) {
        RequireMemoryFor(path, length, ReadMemoryHeadroom());
    }
    try {
        return ByteBuffer(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        throw PlatformError(
            Operation::kRead, path,
            Filled(Tr("not enough memory to hold its {1} bytes"), {DecimalText(length)}));
    }
}

ByteBuffer GrownBuffer(const std::string& name, const ByteBuffer& buffer) {
    ByteBuffer larger;
    try {
        larger = AllocateBuffer(name, static_cast<std::int64_t>(2 * buffer.size()));
    } catch (const PlatformError&) {
        throw PlatformError(Operation::kRead, name,
                            Filled(Tr("not enough memory to read past its first {1} bytes"),
                                   {DecimalText(static_cast<std::int64_t>(buffer.size()))}));
    }
    std::memcpy(larger.data(), buffer.data(), buffer.size());
    return larger;
}

KeepOnFailure::KeepOnFailure(ByteBuffer& buffer, ByteBuffer* kept) noexcept
    : buffer_(buffer), kept_(kept), exceptions_(std::uncaught_exceptions()) {}

KeepOnFailure::~KeepOnFailure() {
    if (kept_ != nullptr && buffer_.mapped() && std::uncaught_exceptions() > exceptions_) {
        buffer_.DiscardContents();
        *kept_ = std::move(buffer_);
    }
}

ByteBuffer ReadFileContent(const std::string& path, const ReadRequestSize& requests) {
    return ReadFileContent(path, nullptr, requests);
}

ByteBuffer ReadWholeFile(const std::string& path, std::int64_t length,
                         const ReadRequestSize& requests) {
    return ReadWholeFile(path, length, nullptr, requests);
}

std::span<const std::uint8_t> ReportArray::Read(const std::string& path) {
    Discard();
    content_ = ReadFileContent(path, &kept_, requests_);
    return content_.bytes();
}

// The larger of two mappings stays (a pseudo file's content has fresh
// pages of its own); a heap content is freed.
void ReportArray::Discard() noexcept {
    if (content_.mapped() && content_.capacity() > kept_.capacity()) {
        content_.DiscardContents();
        kept_ = std::move(content_);
    }
    content_ = ByteBuffer();
}

void ReportArray::Release() noexcept {
    content_ = ByteBuffer();
    kept_ = ByteBuffer();
}

}  // namespace System
