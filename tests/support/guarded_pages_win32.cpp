#include <windows.h>

#include <new>

#include "tests/support/guarded_pages.h"

namespace TestSupport {

GuardedPages::GuardedPages() {
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    page_ = system.dwPageSize;
    void* base = ::VirtualAlloc(nullptr, 4 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (base == nullptr) {
        throw std::bad_alloc();
    }
    base_ = static_cast<std::uint8_t*>(base);
    DWORD old = 0;
    ::VirtualProtect(base_, page_, PAGE_NOACCESS, &old);
    ::VirtualProtect(base_ + 3 * page_, page_, PAGE_NOACCESS, &old);
}

GuardedPages::~GuardedPages() {
    ::VirtualFree(base_, 0, MEM_RELEASE);
}

}  // namespace TestSupport
