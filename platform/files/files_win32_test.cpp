// The Windows file services: the whole-file read in requests, errors with
// the system's message, the lookup by attributes, standard input as a pipe
// and the memory figures.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/files/files.h"
#include "platform/files/memory_check.h"
#include "platform/os/error.h"
#include "platform/os/text_win32.h"
#include "tests/support/temp_dir_test.h"

namespace {

class FilesWin32Test : public TestSupport::TempDirTest {
  protected:
    ~FilesWin32Test() override { Platform::Testing::SetReadRequestHook({}); }

    std::string Create(const std::string& name, const std::string& content,
                       DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        const std::string path = dir_ + "\\" + name;
        const HANDLE file = ::CreateFileW(Platform::SystemPath(path).c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_NEW, attributes, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE) << name;
        DWORD written = 0;
        EXPECT_TRUE(::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                                nullptr));
        ::CloseHandle(file);
        return path;
    }

    static std::string Text(const Platform::ByteBuffer& bytes) {
        return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
    }

    template <typename Call>
    static Platform::PlatformError ErrorOf(Call call) {
        try {
            call();
        } catch (const Platform::PlatformError& error) {
            return error;
        }
        return Platform::PlatformError("none", "", "no error");
    }
};

TEST_F(FilesWin32Test, ReadsWholeInAsManyRequestsAsItTakesAndRefusesAShrunkFile) {
    const std::string path = Create("digits.txt", "123456789");
    EXPECT_EQ(Platform::QueryFileLength(path), 9);
    std::vector<std::size_t> requests;
    Platform::Testing::SetReadRequestHook([&](std::size_t count) {
        requests.push_back(count);
        return static_cast<std::int64_t>(std::min<std::size_t>(count, 4));
    });
    EXPECT_EQ(Text(Platform::ReadFileContent(path)), "123456789");
    EXPECT_EQ(requests, (std::vector<std::size_t>{9, 5, 1}));

    const auto shrunk = ErrorOf([&] { Platform::ReadWholeFile(path, 10); });
    EXPECT_EQ(shrunk.reason(), "the file changed while it was being read");
    Platform::Testing::SetReadRequestHook([](std::size_t) { return -std::int64_t{EIO}; });
    EXPECT_EQ(ErrorOf([&] { Platform::ReadFileContent(path); }).operation(), "read");
}

TEST_F(FilesWin32Test, ErrorsNameWhatFailedThePathAndTheSystemsReason) {
    const std::string missing = dir_ + "\\missing.txt";
    const auto error = ErrorOf([&] { Platform::ReadFileContent(missing); });
    EXPECT_EQ(error.operation(), "size of");
    EXPECT_EQ(error.path(), missing);
    EXPECT_EQ(error.reason(), Platform::SystemMessage(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ErrorOf([&] { Platform::ReadFileContent(dir_); }).reason(), "Is a directory");
    EXPECT_EQ(ErrorOf([] { Platform::ReadWholeFile("NUL", 1); }).reason(), "not a regular file");
}

TEST_F(FilesWin32Test, LookupFindsOnlyOrdinaryFiles) {
    const std::string plain = Create("a.txt", "x");
    const std::string readOnly = Create("r.txt", "x", FILE_ATTRIBUTE_READONLY);
    const std::string hidden = Create("h.txt", "x", FILE_ATTRIBUTE_HIDDEN);
    const std::string system = Create("s.txt", "x", FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(Platform::FindOrdinaryFile(plain), "a.txt");
    EXPECT_EQ(Platform::FindOrdinaryFile(readOnly), "r.txt");
    EXPECT_EQ(Platform::FindOrdinaryFile(dir_ + "\\missing"), "");
    EXPECT_EQ(Platform::FindOrdinaryFile(dir_), "");
    EXPECT_EQ(Platform::FindOrdinaryFile(dir_ + "\\bad\xFF"), "");
    if ((::GetFileAttributesW(Platform::SystemPath(hidden).c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0) {
        EXPECT_EQ(Platform::FindOrdinaryFile(hidden), "");
        EXPECT_EQ(Platform::FindOrdinaryFile(system), "");
    }
    ::SetFileAttributesW(Platform::SystemPath(readOnly).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FilesWin32Test, StandardInputIsReadToItsEndFromAPipe) {
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    ASSERT_TRUE(::CreatePipe(&reader, &writer, nullptr, 0));
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(writer, "123456789", 9, &written, nullptr));
    ::CloseHandle(writer);
    const auto bytes = Platform::ReadToEnd({reinterpret_cast<std::intptr_t>(reader)}, "-");
    ::CloseHandle(reader);
    EXPECT_EQ(Text(bytes), "123456789");
    EXPECT_EQ(ErrorOf([] { Platform::ReadToEnd({0}, "-"); }).path(), "-");
}

TEST(MemoryCheckWin32Test, TheSystemReportsAvailableMemory) {
    EXPECT_GT(Platform::ReadMemoryHeadroom().available, 0);
}

TEST(ByteBufferWin32Test, LargeBuffersHaveTheirOwnPagesWritableToTheEnd) {
    using Platform::ByteBuffer;
    ByteBuffer buffer(ByteBuffer::kMappedThreshold + 1);
    EXPECT_TRUE(buffer.mapped());
    buffer.data()[0] = 1;
    buffer.data()[buffer.size() - 1] = 2;
    ByteBuffer moved(std::move(buffer));
    EXPECT_EQ(moved.bytes().back(), 2);
    EXPECT_THROW(ByteBuffer(SIZE_MAX), std::bad_alloc);
}

}  // namespace
