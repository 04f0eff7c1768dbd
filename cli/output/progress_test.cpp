#include "cli/output/progress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

namespace {

using namespace std::chrono_literals;

// Nothing in the first second; then one line redrawn in place, erased
// while another message is written and at the end.
TEST(Progress, ShowsAfterASecondGivesWayToMessagesAndIsErasedAtTheEnd) {
    std::ostringstream err;
    std::chrono::steady_clock::time_point now{};
    Cli::Progress progress(err, [&] { return now; });
    progress.files = 3;
    progress.bytes = 2'500'000;
    now += 999ms;
    progress.Tick();
    EXPECT_EQ(err.str(), "");
    now += 1001ms;
    progress.Tick();
    progress.files = 1;
    progress.Tick();
    EXPECT_EQ(err.str(),
              "\r3 files, 2.5 MB, 1.2 MB/s\x1b[K"
              "\r1 file, 2.5 MB, 1.2 MB/s\x1b[K");
    err.str("");
    {
        const auto quiet = progress.Quiet();
        err << "message\n";
    }
    progress.Stop();  // nothing shown since: nothing to erase
    EXPECT_EQ(err.str(), "\r\x1b[Kmessage\n");
    progress.Tick();  // stopped: stays off
    EXPECT_EQ(err.str(), "\r\x1b[Kmessage\n");
}

}  // namespace
