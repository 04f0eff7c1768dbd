// The memory figures on Windows: the physical memory available, and the
// limit of the job object the process runs in, if any.
#include <windows.h>
// After windows.h, whose types they use.
#include <psapi.h>

#include <algorithm>

#include "platform/system/files/memory_check.h"

namespace System {
namespace {

std::int64_t AvailableBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!::GlobalMemoryStatusEx(&status)) {
        return -1;
    }
    return static_cast<std::int64_t>(status.ullAvailPhys);
}

std::int64_t Remaining(SIZE_T limit, SIZE_T used) {
    return limit > used ? static_cast<std::int64_t>(limit - used) : 0;
}

// What the job's limits still allow: the per-process limit less what this
// process has committed, and the whole job's limit less the most the job
// has used (the system gives no current figure for the job in this call,
// so its peak stands in, erring on the side of refusing).
std::int64_t JobBytes() {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION job{};
    if (!::QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &job, sizeof job,
                                     nullptr)) {
        return -1;  // in no job
    }
    std::int64_t tightest = -1;
    const auto consider = [&tightest](std::int64_t bytes) {
        tightest = tightest < 0 ? bytes : std::min(tightest, bytes);
    };
    const DWORD flags = job.BasicLimitInformation.LimitFlags;
    if ((flags & JOB_OBJECT_LIMIT_PROCESS_MEMORY) != 0) {
        PROCESS_MEMORY_COUNTERS_EX counters{};
        counters.cb = sizeof counters;
        if (::GetProcessMemoryInfo(::GetCurrentProcess(),
                                   reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                   sizeof counters)) {
            consider(Remaining(job.ProcessMemoryLimit, counters.PrivateUsage));
        }
    }
    if ((flags & JOB_OBJECT_LIMIT_JOB_MEMORY) != 0) {
        consider(Remaining(job.JobMemoryLimit, job.PeakJobMemoryUsed));
    }
    return tightest;
}

}  // namespace

MemoryHeadroom ReadMemoryHeadroom(const std::string& /*root*/) {
    return {AvailableBytes(), JobBytes()};
}

}  // namespace System
