#include <windows.h>

#include <atomic>

#include "tests/support/mapping_count.h"

namespace {

constexpr SIZE_T kLarge = SIZE_T{1} << 20;
std::atomic<std::size_t> largeMappings{0};

using VirtualAllocFunction = LPVOID(WINAPI*)(LPVOID, SIZE_T, DWORD, DWORD);

LPVOID WINAPI CountingVirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protection) {
    static const auto system = reinterpret_cast<VirtualAllocFunction>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "VirtualAlloc")));
    if ((type & MEM_COMMIT) != 0 && address == nullptr && size >= kLarge) {
        largeMappings.fetch_add(1, std::memory_order_relaxed);
    }
    return system(address, size, type, protection);
}

}  // namespace

// The program's calls to VirtualAlloc go through this import slot, which the
// linker takes from here rather than from kernel32's import library.
extern "C" {
VirtualAllocFunction __imp_VirtualAlloc = CountingVirtualAlloc;
}

std::size_t TestSupport::LargeMappingsMade() noexcept {
    return largeMappings.load(std::memory_order_relaxed);
}
