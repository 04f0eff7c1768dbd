#include "platform/system/os/find_win32.h"

#include <memory>
#include <string_view>

#include "platform/system/os/directory.h"
#include "platform/system/os/text_win32.h"

namespace System {
namespace {

struct FindCloser {
    void operator()(HANDLE find) const noexcept { ::FindClose(find); }
};
using FindHandle = std::unique_ptr<void, FindCloser>;

}  // namespace

void ForEachDirectoryEntry(const std::string& path,
                           const std::function<void(const WIN32_FIND_DATAW&)>& visit) {
    const std::wstring pattern = SystemPath(JoinPath(path, kPathSeparator, "*"));
    WIN32_FIND_DATAW entry{};
    const HANDLE first =
        ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                           FIND_FIRST_EX_LARGE_FETCH);
    if (first == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            return;  // a drive's root with nothing in it
        }
        throw WindowsError(Operation::kList, path, error);
    }
    const FindHandle find(first);
    do {
        const std::wstring_view name(entry.cFileName);
        if (name != L"." && name != L"..") {
            visit(entry);
        }
    } while (::FindNextFileW(find.get(), &entry));
    const DWORD error = ::GetLastError();
    if (error != ERROR_NO_MORE_FILES) {
        throw WindowsError(Operation::kList, path, error);
    }
}

}  // namespace System
