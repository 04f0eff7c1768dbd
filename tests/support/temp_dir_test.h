// A test fixture that works in a fresh temporary directory of its own,
// removed with everything in it when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
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
    // A new directory of a random name (creating it fails when the name is
    // taken), mode 0755 on POSIX, so a test that drops to an unprivileged
    // user still reaches it.
    static std::string MakeTempDir() {
        namespace fs = std::filesystem;
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const fs::path dir = fs::temp_directory_path() / ("tallix-" + std::to_string(random()));
            std::error_code error;
            if (fs::create_directory(dir, error)) {
                using fs::perms;
                fs::permissions(dir, perms::owner_all | perms::group_read | perms::group_exec |
                                         perms::others_read | perms::others_exec);
                return dir.string();
            }
        }
        throw std::runtime_error("cannot make a temporary directory");
    }
};

}  // namespace TestSupport
