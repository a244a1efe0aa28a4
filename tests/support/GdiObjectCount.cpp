#include "tests/support/GdiObjectCount.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

#include <winternl.h>

namespace {

// One entry of the shared GDI handle table (x64 layout).
struct GdiHandleEntry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint16_t unique;
    std::uint8_t type;
    std::uint8_t flags;
    std::uint64_t user;
};
static_assert(sizeof(GdiHandleEntry) == 24);

constexpr std::size_t kPebGdiSharedHandleTable = 0xF8;
constexpr std::size_t kTableEntries = 0x10000;
constexpr std::uint16_t kUniqueFreed = 0x80;

unsigned long CountTableEntries() {
    PROCESS_BASIC_INFORMATION basic = {};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
        return 0;
    const auto* peb = reinterpret_cast<const unsigned char*>(basic.PebBaseAddress);
    const GdiHandleEntry* table = nullptr;
    std::memcpy(&table, peb + kPebGdiSharedHandleTable, sizeof table);
    if (!table) return 0;
    unsigned long count = 0;
    for (std::size_t index = 0; index < kTableEntries; ++index) {
        if (table[index].type != 0 && !(table[index].unique & kUniqueFreed)) ++count;
    }
    return count;
}

}  // namespace

unsigned long GdiObjectCount() {
    if (const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return count;
    return CountTableEntries();
}
