#include "cli/jobs/ordered_jobs.h"

#include <exception>

namespace Cli {

std::thread StartThread(std::function<void()> run) {
    return std::thread(std::move(run));
}

std::vector<std::thread> OrderedJobs::Start(const std::function<void()>& worker) const {
    std::vector<std::thread> threads;
    threads.reserve(jobs_);
    for (unsigned t = 0; t < jobs_; ++t) {
        try {
            threads.push_back(start_(worker));
        } catch (const std::exception&) {
            break;  // no thread or no memory for one: the threads there are do the work
        }
    }
    return threads;
}

}  // namespace Cli
