#include "platform/system/files/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/system/os/error.h"
#include "tests/support/temp_dir_test.h"
#include "tests/support/unprivileged.h"

namespace {

using System::FindOrdinaryFile;
using System::PlatformError;
using System::QueryFileLength;
using System::ReadWholeFile;

class FilesTest : public TestSupport::TempDirTest {
  protected:
    template <typename F>
    static std::string ErrorReason(F&& call) {
        try {
            call();
        } catch (const PlatformError& error) {
            return error.reason();
        }
        return "no error";
    }
};

TEST_F(FilesTest, ReadsEmptyOneByteAndLargerFilesExactly) {
    const std::string empty = Write("empty", "");
    EXPECT_EQ(QueryFileLength(empty), 0);
    EXPECT_TRUE(ReadWholeFile(empty, 0).empty());

    const std::string one = Write("one", std::string(1, '\0'));
    EXPECT_EQ(QueryFileLength(one), 1);
    const auto oneByte = ReadWholeFile(one, 1);
    ASSERT_EQ(oneByte.size(), 1u);
    EXPECT_EQ(oneByte.data()[0], 0);

    std::string content(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7 + i / 251);
    const std::string big = Write("big", content);
    const auto bytes = ReadWholeFile(big, QueryFileLength(big));
    ASSERT_EQ(bytes.size(), content.size());
    EXPECT_EQ(std::memcmp(bytes.data(), content.data(), content.size()), 0);
}

TEST_F(FilesTest, ShrunkFileIsAnErrorAndGrownFileGivesTheBytesAskedFor) {
    const std::string path = Write("digits", "123456789");
    EXPECT_EQ(ErrorReason([&] { ReadWholeFile(path, 12); }),
              "the file changed while it was being read");
    const auto first = ReadWholeFile(path, 4);
    ASSERT_EQ(first.size(), 4u);
    EXPECT_EQ(std::string(first.data(), first.data() + 4), "1234");
}

TEST_F(FilesTest, MissingPathsAndOtherKindsOfFileAreErrorsNamingThePath) {
    const std::string missing = dir_ + "/missing";
    try {
        QueryFileLength(missing);
        FAIL() << "no error for a missing file";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.path(), missing);
        EXPECT_EQ(error.reason(), "No such file or directory");
        EXPECT_NE(std::string(error.what()).find(missing), std::string::npos);
    }
    EXPECT_EQ(ErrorReason([&] { ReadWholeFile(missing, 1); }), "No such file or directory");
    // The size query and the read refuse the same kinds, with the same words.
    EXPECT_EQ(ErrorReason([&] { QueryFileLength(dir_); }), "Is a directory");
    EXPECT_EQ(ErrorReason([&] { ReadWholeFile(dir_, 1); }), "Is a directory");

    const std::string fifo = dir_ + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ErrorReason([&] { QueryFileLength(fifo); }), "not a regular file");
    EXPECT_EQ(ErrorReason([&] { ReadWholeFile(fifo, 1); }), "not a regular file");  // no hang
}

TEST_F(FilesTest, LookupFindsOnlyOrdinaryVisibleFiles) {
    const std::string file = Write("a.txt", "x");
    EXPECT_EQ(FindOrdinaryFile(file), "a.txt");
    EXPECT_EQ(FindOrdinaryFile(Write("\xff\xfe name", "x")), "\xff\xfe name");  // not UTF-8
    EXPECT_EQ(FindOrdinaryFile(Write(".hidden", "x")), "");
    EXPECT_EQ(FindOrdinaryFile(dir_ + "/missing"), "");
    EXPECT_EQ(FindOrdinaryFile(dir_), "");
    EXPECT_EQ(FindOrdinaryFile("/dev/null"), "");

    const std::string fifo = dir_ + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(FindOrdinaryFile(fifo), "");

    const std::string socketPath = dir_ + "/sock";
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(FindOrdinaryFile(socketPath), "");
    ::close(sock);
}

// A sparse file far larger than the machine's memory is refused before any
// allocation, with a message naming its size, instead of the process being
// killed while the read fills the buffer.
TEST_F(FilesTest, FileLargerThanMemoryIsRefusedNamingItsSize) {
    const std::string path = Write("huge", "");
    const std::int64_t size = std::int64_t{1} << 42;  // 4 TiB, sparse
    ASSERT_EQ(::truncate(path.c_str(), size), 0);
    EXPECT_EQ(QueryFileLength(path), size);
    const std::string reason = ErrorReason([&] { ReadWholeFile(path, size); });
    EXPECT_NE(reason.find("4398046511104 bytes"), std::string::npos) << reason;
}

// A pipe fed by another thread in pieces, non-blocking on the reading end
// so the read must wait for data: every byte arrives, past several growths
// of the buffer, and the buffer holds exactly those bytes.
TEST_F(FilesTest, ReadToEndReadsAPipeToItsEndWhateverItsLength) {
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{300000}}) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        ASSERT_EQ(::fcntl(fds[0], F_SETFL, O_NONBLOCK), 0);
        std::string content(size, '\0');
        for (std::size_t i = 0; i < size; ++i) {
            content[i] = static_cast<char>(i * 7 + i / 251);
        }
        std::thread writer([&] {
            for (std::size_t at = 0; at < size;) {
                const ssize_t put =
                    ::write(fds[1], content.data() + at, std::min<std::size_t>(size - at, 40000));
                ASSERT_GT(put, 0);
                at += static_cast<std::size_t>(put);
            }
            ::close(fds[1]);
        });
        const auto bytes = System::ReadToEnd({fds[0]}, "pipe");
        writer.join();
        ::close(fds[0]);
        ASSERT_EQ(bytes.size(), size);
        EXPECT_EQ(std::string(bytes.data(), bytes.data() + bytes.size()), content);
    }
}

TEST_F(FilesTest, ReadToEndAFailedReadIsAnErrorNamingTheSource) {
    const std::string reason = ErrorReason([] { System::ReadToEnd({-1}, "standard input"); });
    EXPECT_EQ(reason, "Bad file descriptor");
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // A stream without end under an address-space limit: refused for memory,
    // naming what it had read, never a size it did not have.
    EXPECT_EQ(TestSupport::RunUnprivileged([] {
                  const rlimit limit{256 << 20, 256 << 20};
                  const int fd = ::open("/dev/zero", O_RDONLY | O_CLOEXEC);
                  if (::setrlimit(RLIMIT_AS, &limit) != 0 || fd < 0) {
                      return std::string("no limit or no /dev/zero");
                  }
                  const std::string refused =
                      ErrorReason([&] { System::ReadToEnd({fd}, "zeroes"); });
                  const std::regex named("not enough memory to read past its first [0-9]+ bytes");
                  return std::regex_match(refused, named) ? "" : refused;
              }),
              "");
#endif
}

TEST_F(FilesTest, UnreadableFileIsAPermissionError) {
    const std::string path = Write("secret", "123");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    EXPECT_EQ(TestSupport::RunUnprivileged([&] {
                  const std::string reason = ErrorReason([&] { ReadWholeFile(path, 3); });
                  return reason == "Permission denied" ? "" : "reason: " + reason;
              }),
              "");
}

// Every size class of the buffer gives exactly its size, writable to the
// last byte (the sanitizer build checks the heap ones), and a moved-from
// buffer is empty while the memory goes with the move.
TEST(ByteBufferTest, EverySizeIsWritableToTheEndAndMovesOwnership) {
    using System::ByteBuffer;
    const std::size_t sizes[] = {0,
                                 1,
                                 ByteBuffer::kMappedThreshold - 1,
                                 ByteBuffer::kMappedThreshold,
                                 ByteBuffer::kHugePageSize + 1,
                                 5 * ByteBuffer::kHugePageSize};
    for (const std::size_t size : sizes) {
        ByteBuffer buffer(size);
        ASSERT_EQ(buffer.size(), size);
        EXPECT_EQ(buffer.empty(), size == 0);
        EXPECT_EQ(buffer.mapped(), size >= ByteBuffer::kMappedThreshold);
        if (buffer.mapped()) {
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.data()) % ByteBuffer::kHugePageSize,
                      0u);
        }
        for (std::size_t i = 0; i < size; ++i)
            buffer.data()[i] = static_cast<std::uint8_t>(i);
        if (size > 0) {
            EXPECT_EQ(buffer.bytes().back(), static_cast<std::uint8_t>(size - 1));
        }

        const std::uint8_t* const memory = buffer.data();
        ByteBuffer moved(std::move(buffer));
        EXPECT_EQ(moved.data(), memory);
        EXPECT_EQ(moved.size(), size);
        EXPECT_TRUE(buffer.empty());  // the moved-from state is defined: empty
        ByteBuffer assigned(1);
        assigned = std::move(moved);  // frees the one byte it held
        EXPECT_EQ(assigned.data(), memory);
        EXPECT_EQ(assigned.size(), size);
    }
    // Sizes so large that rounding them up to whole huge pages would wrap.
    EXPECT_THROW(ByteBuffer(SIZE_MAX), std::bad_alloc);
    EXPECT_THROW(ByteBuffer(SIZE_MAX - ByteBuffer::kHugePageSize), std::bad_alloc);
}

}  // namespace
