// The jobs a run may start under an address-space limit.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "cli/system/hardware.h"

namespace {

// In a child under `ulimit -v 256 MiB`: the jobs allowed all start, each
// with a read buffer, and memory is left for the rest of the run.
int JobsUnderALimit() {
    constexpr rlim_t kLimit = rlim_t{256} << 20;
    const rlimit limit{kLimit, kLimit};
    if (::setrlimit(RLIMIT_AS, &limit) != 0) {
        return 10;
    }
    const unsigned jobs = Cli::Os::JobsTheMemoryAllows(1024);
    if (jobs < 1 || jobs >= 1024) {
        return 11;
    }
    // Each job holds its buffer until all have started.
    std::atomic<unsigned> started{0};
    std::atomic<bool> failed{false};
    const auto job = [&] {
        try {
            std::vector<char> buffer(std::size_t{2} << 20, 'x');
            ++started;
            while (started < jobs && !failed) {
                std::this_thread::yield();
            }
        } catch (...) {
            failed = true;
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(jobs);
    try {
        for (unsigned at = 0; at < jobs; ++at) {
            threads.emplace_back(job);
        }
        std::vector<char> rest(std::size_t{16} << 20, 'y');
    } catch (...) {
        failed = true;
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    if (failed) {
        return 12;
    }
    return 0;
}

TEST(HardwareTest, JobsFitUnderAnAddressSpaceLimit) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve terabytes of address space for their shadow";
#endif
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(JobsUnderALimit());
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
