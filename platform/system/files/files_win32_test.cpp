// The Windows file services: the whole-file read in requests, errors with
// the system's message, the lookup by attributes, names and paths the
// system's clean-up would change, standard input as a pipe and the memory
// figures.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/system/files/files.h"
#include "platform/system/files/memory_check.h"
#include "platform/system/files/stream_read.h"
#include "platform/system/os/directory.h"
#include "platform/system/os/error.h"
#include "platform/system/os/text_win32.h"
#include "tests/support/temp_dir_test.h"

namespace {

class FilesWin32Test : public TestSupport::TempDirTest {
  protected:
    std::string Create(const std::string& name, const std::string& content,
                       DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        const std::string path = dir_ + "\\" + name;
        const HANDLE file = ::CreateFileW(System::SystemPath(path).c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_NEW, attributes, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE) << name;
        DWORD written = 0;
        EXPECT_TRUE(::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                                nullptr));
        ::CloseHandle(file);
        return path;
    }

    static std::string Text(const System::ByteBuffer& bytes) {
        return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
    }

    template <typename Call>
    static System::PlatformError ErrorOf(Call call) {
        try {
            call();
        } catch (const System::PlatformError& error) {
            return error;
        }
        return System::PlatformError(System::Operation::kRunEvent, "", "no error");
    }
};

TEST_F(FilesWin32Test, ReadsWholeInAsManyRequestsAsItTakesAndRefusesAShrunkFile) {
    const std::string path = Create("digits.txt", "123456789");
    EXPECT_EQ(System::QueryFileLength(path), 9);
    std::vector<std::size_t> requests;
    const auto fourAtATime = [&](std::size_t count) {
        requests.push_back(count);
        return static_cast<std::int64_t>(std::min<std::size_t>(count, 4));
    };
    EXPECT_EQ(Text(System::ReadFileContent(path, fourAtATime)), "123456789");
    EXPECT_EQ(requests, (std::vector<std::size_t>{9, 5, 1}));

    const auto shrunk = ErrorOf([&] { System::ReadWholeFile(path, 10); });
    EXPECT_EQ(shrunk.reason(), "the file changed while it was being read");
    const auto failing = [](std::size_t) { return -std::int64_t{EIO}; };
    EXPECT_EQ(ErrorOf([&] { System::ReadFileContent(path, failing); }).operation(),
              System::Operation::kRead);
}

TEST_F(FilesWin32Test, ErrorsNameWhatFailedThePathAndTheSystemsReason) {
    const std::string missing = dir_ + "\\missing.txt";
    const auto error = ErrorOf([&] { System::ReadFileContent(missing); });
    EXPECT_EQ(error.operation(), System::Operation::kSizeOf);
    EXPECT_EQ(error.path(), missing);
    EXPECT_EQ(error.reason(), System::SystemMessage(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ErrorOf([&] { System::ReadFileContent(dir_); }).reason(), "Is a directory");
    EXPECT_EQ(ErrorOf([] { System::ReadWholeFile("\\\\.\\NUL", 1); }).reason(),
              "not a regular file");
}

// Names the system's own clean-up of a path would trim or take for a device
// are listed, looked up and read as the files they are (the walk takes them
// too: cli/system/walk_win32_test.cpp).
TEST_F(FilesWin32Test, NamesEndingInADotOrSpaceAndDeviceNamesAreFiles) {
    const std::vector<std::string> names{"AUX", "CON", "a.", "b ", "con.txt", "nul.txt"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        Create(names[i], std::string(i + 1, 'x'));
    }
    const std::string dot = dir_ + "\\dot.";
    ASSERT_TRUE(::CreateDirectoryW(System::SystemPath(dot).c_str(), nullptr));
    Create("dot.\\in.txt", "123456789");
    EXPECT_EQ(System::ListOrdinaryFiles(dir_),
              (std::vector<std::string>{"a.", "AUX", "b ", "CON", "con.txt", "nul.txt"}));
    EXPECT_EQ(System::ListSubdirectories(dir_), std::vector<std::string>{"dot."});
    EXPECT_EQ(System::NormalDirectoryPath(dot), dot);
    EXPECT_EQ(Text(System::ReadFileContent(dot + "\\in.txt")), "123456789");
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string path = dir_ + "\\" + names[i];
        EXPECT_EQ(System::FindOrdinaryFile(path), names[i]);
        EXPECT_EQ(Text(System::ReadFileContent(path)), std::string(i + 1, 'x')) << names[i];
        EXPECT_EQ(System::FileReader::Open(path).length(), static_cast<std::int64_t>(i + 1));
        ::DeleteFileW(System::SystemPath(path).c_str());  // beyond the fixture's clean-up
    }
    ::DeleteFileW(System::SystemPath(dot + "\\in.txt").c_str());
    ::RemoveDirectoryW(System::SystemPath(dot).c_str());
}

// A relative path is made full before the system sees it, so one whose full
// path passes MAX_PATH reads, though the path as given is short.
TEST_F(FilesWin32Test, ARelativePathWhoseFullPathPassesMaxPathReads) {
    const std::string name(60, 'd');
    std::string relative;
    while (dir_.size() + relative.size() <= MAX_PATH) {
        relative += (relative.empty() ? "" : "\\") + name;
        ASSERT_TRUE(
            ::CreateDirectoryW(System::SystemPath(dir_ + "\\" + relative).c_str(), nullptr));
    }
    Create(relative + "\\a.txt", "123456789");
    std::wstring previous(MAX_PATH, L'\0');
    previous.resize(::GetCurrentDirectoryW(MAX_PATH, previous.data()));
    ASSERT_TRUE(::SetCurrentDirectoryW(System::SystemPath(dir_).c_str()));
    const std::string path = relative + "\\a.txt";
    EXPECT_EQ(System::QueryFileLength(path), 9);
    EXPECT_EQ(Text(System::ReadFileContent(path)), "123456789");
    EXPECT_EQ(System::ListOrdinaryFiles(relative), std::vector<std::string>{"a.txt"});
    ::SetCurrentDirectoryW(previous.c_str());
}

// The streamed read opens an empty file too: one held open without sharing
// is an error, while the whole-file read, which never opens an empty file,
// reports it.
TEST_F(FilesWin32Test, OnlyTheStreamedReadOpensAnEmptyFile) {
    const std::string path = Create("empty", "");
    const HANDLE held = ::CreateFileW(System::SystemPath(path).c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ErrorOf([&] { System::FileReader::Open(path); }).operation(),
              System::Operation::kOpen);
    EXPECT_EQ(System::ReadFileContent(path).size(), 0u);
    ::CloseHandle(held);
}

TEST_F(FilesWin32Test, LookupFindsOnlyOrdinaryFiles) {
    const std::string plain = Create("a.txt", "x");
    const std::string readOnly = Create("r.txt", "x", FILE_ATTRIBUTE_READONLY);
    const std::string hidden = Create("h.txt", "x", FILE_ATTRIBUTE_HIDDEN);
    const std::string system = Create("s.txt", "x", FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(System::FindOrdinaryFile(plain), "a.txt");
    EXPECT_EQ(System::FindOrdinaryFile(readOnly), "r.txt");
    EXPECT_EQ(System::FindOrdinaryFile(dir_ + "\\missing"), "");
    EXPECT_EQ(System::FindOrdinaryFile(dir_), "");
    EXPECT_EQ(System::FindOrdinaryFile(dir_ + "\\bad\xFF"), "");
    if ((::GetFileAttributesW(System::SystemPath(hidden).c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0) {
        EXPECT_EQ(System::FindOrdinaryFile(hidden), "");
        EXPECT_EQ(System::FindOrdinaryFile(system), "");
    }
    ::SetFileAttributesW(System::SystemPath(readOnly).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FilesWin32Test, StandardInputIsReadToItsEndFromAPipe) {
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    ASSERT_TRUE(::CreatePipe(&reader, &writer, nullptr, 0));
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(writer, "123456789", 9, &written, nullptr));
    ::CloseHandle(writer);
    const auto bytes = System::ReadToEnd({reinterpret_cast<std::intptr_t>(reader)}, "-");
    ::CloseHandle(reader);
    EXPECT_EQ(Text(bytes), "123456789");
    EXPECT_EQ(ErrorOf([] { System::ReadToEnd({0}, "-"); }).path(), "-");
}

TEST(MemoryCheckWin32Test, TheSystemReportsAvailableMemory) {
    EXPECT_GT(System::ReadMemoryHeadroom().available, 0);
}

TEST(ByteBufferWin32Test, LargeBuffersHaveTheirOwnPagesWritableToTheEnd) {
    using System::ByteBuffer;
    ByteBuffer buffer(ByteBuffer::kMappedThreshold + 1);
    EXPECT_TRUE(buffer.mapped());
    buffer.data()[0] = 1;
    buffer.data()[buffer.size() - 1] = 2;
    ByteBuffer moved(std::move(buffer));
    EXPECT_EQ(moved.bytes().back(), 2);
    EXPECT_THROW(ByteBuffer(SIZE_MAX), std::bad_alloc);
}

}  // namespace
