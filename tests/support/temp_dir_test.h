// A test fixture that works in a fresh temporary directory of its own,
// removed with everything in it when the test ends.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace TestSupport {

class TempDirTest : public ::testing::Test {
  protected:
    TempDirTest() : dir_(MakeTempDir()) {}
    ~TempDirTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    // Writes `content` to `name` inside the directory; returns the file's path.
    std::string Write(const std::string& name, const std::string& content) const {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    const std::string dir_;

  private:
    // Mode 0755, so a test that drops to an unprivileged user still reaches it.
    static std::string MakeTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tallix-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr || ::chmod(pattern.c_str(), 0755) != 0) {
            throw std::runtime_error("cannot make a temporary directory");
        }
        return pattern;
    }
};

}  // namespace TestSupport
