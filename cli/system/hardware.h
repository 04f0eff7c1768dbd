// What the machine offers a run that reads many files: the CPUs it may run
// on, and whether reading files side by side would make a disk seek.
#pragma once

#include <string>

namespace Cli::Os {

// The CPUs this process may run on (its affinity mask), at least 1.
unsigned UsableCPUs();

// Whether reading the file at `path` alongside others would make a disk
// seek: it lies on a block device whose queue says it is rotational (the
// whole disk's, for a partition) and its pages are not all in the page
// cache (a cached file is read from memory, wherever it lies). False
// whenever that cannot be told: a path that cannot be examined, a file
// system with no block device of its own (tmpfs, network, btrfs), a kernel
// that cannot say what is cached is taken as not cached.
bool ReadsWouldSeek(const std::string& path);

// At most `jobs`, fewer when the process's address-space limit (ulimit -v)
// leaves no room for that many threads' stacks and read buffers beside
// the rest of the run: the threads then take half of what is left (and
// share one heap, where the C library would reserve one a thread), so the
// run never ends for want of memory with lines unread. At least 1.
unsigned JobsTheMemoryAllows(unsigned jobs);

}  // namespace Cli::Os
