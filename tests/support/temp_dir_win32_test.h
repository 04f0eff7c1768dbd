// TempDirTest on Windows, with entries made through the UTF-16 calls, so a
// test of the Windows services sees names exactly as the system stores them.
#pragma once

#include <windows.h>

#include <string>

#include "platform/system/os/text_win32.h"
#include "tests/support/temp_dir_test.h"

namespace TestSupport {

class TempDirWin32Test : public TempDirTest {
  protected:
    // Creates the empty file `name` (UTF-8) in the directory; returns its path.
    std::string Create(const std::string& name) {
        const std::string path = dir_ + "\\" + name;
        const HANDLE file = ::CreateFileW(System::SystemPath(path).c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE) << name;
        ::CloseHandle(file);
        return path;
    }
    // Creates the directory `name` (UTF-8) in the directory; returns its path.
    std::string MakeDirectory(const std::string& name) {
        const std::string path = dir_ + "\\" + name;
        EXPECT_TRUE(::CreateDirectoryW(System::SystemPath(path).c_str(), nullptr)) << name;
        return path;
    }
};

}  // namespace TestSupport
