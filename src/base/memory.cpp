#include "base/memory.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace kolvane {

void AdviseHugePages(const void* data, std::size_t size) {
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  if (size < kHugePage) return;
  const auto begin = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (begin + size) & ~(kHugePage - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}  // namespace kolvane

namespace kolvane {

std::uint64_t PhysicalMemoryBytes() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long page_size = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || page_size <= 0) return 0;
  const auto count = static_cast<std::uint64_t>(pages);
  const auto size = static_cast<std::uint64_t>(page_size);
  return count > UINT64_MAX / size ? UINT64_MAX : count * size;
}

std::uint64_t AvailableMemoryBytes() {
  std::FILE* meminfo = std::fopen("/proc/meminfo", "r");
  if (meminfo != nullptr) {
    char line[256];
    unsigned long long kib = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, meminfo) != nullptr) {
      found = std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1;
    }
    std::fclose(meminfo);
    if (found) return kib > UINT64_MAX / 1024 ? UINT64_MAX : std::uint64_t{kib} * 1024;
  }
  return PhysicalMemoryBytes();
}

void TuneMemoryForLargeBuffers() {
  // Blocks up to 256 MiB from the heap, which is trimmed only past 512 MiB free.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
}

}  // namespace kolvane
