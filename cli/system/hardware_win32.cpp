// What the machine offers a run on Windows: the processors of the process's
// affinity mask, and whether the volume a file lies on says reads there
// incur a seek penalty (a spinning disk).
#include <windows.h>
#include <winioctl.h>

#include <bit>
#include <string>

#include "cli/system/hardware.h"
#include "platform/system/os/text_win32.h"

namespace Cli::Os {
namespace {

// "\\.\C:" for a volume path such as "C:\" or "\\?\C:\"; empty when the
// volume has no drive letter to open it by.
std::wstring VolumeDevice(std::wstring volume) {
    if (volume.starts_with(L"\\\\?\\")) {
        volume.erase(0, 4);
    }
    if (volume.size() < 2 || volume[1] != L':') {
        return {};
    }
    return L"\\\\.\\" + volume.substr(0, 2);
}

}  // namespace

unsigned UsableCPUs() {
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (!::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system) || process == 0) {
        return 1;
    }
    return static_cast<unsigned>(std::popcount(static_cast<std::uint64_t>(process)));
}

bool ReadsWouldSeek(const std::string& path) {
    wchar_t volume[MAX_PATH + 1] = {};
    try {
        if (!::GetVolumePathNameW(System::SystemPath(path).c_str(), volume, MAX_PATH)) {
            return false;
        }
    } catch (const System::PlatformError&) {
        return false;  // a name that is not UTF-8 names no file
    }
    const std::wstring device = VolumeDevice(volume);
    if (device.empty()) {
        return false;
    }
    // No access rights are needed to ask a device for its properties.
    const HANDLE handle = ::CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceSeekPenaltyProperty;
    query.QueryType = PropertyStandardQuery;
    DEVICE_SEEK_PENALTY_DESCRIPTOR answer{};
    DWORD returned = 0;
    const bool asked = ::DeviceIoControl(handle, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                                         &answer, sizeof answer, &returned, nullptr) != 0;
    ::CloseHandle(handle);
    return asked && returned >= sizeof answer && answer.IncursSeekPenalty;
}

unsigned JobsTheMemoryAllows(unsigned jobs) {
    return jobs;  // no address-space limit here: a thread that cannot start is done without
}

}  // namespace Cli::Os
