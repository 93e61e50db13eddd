#pragma once
// Hints to the system about large buffers.
#include <cstddef>
#include <cstdint>

namespace kolvane {

// Asks for transparent huge pages for the whole 2 MiB pages inside [data, data + size),
// before they are first touched. Faulting tens of megabytes in 4 KiB pages can cost
// more than the work done in them (several times over on virtual machines). Only a
// hint: when the system declines, nothing changes.
void AdviseHugePages(const void* data, std::size_t size);

}  // namespace kolvane

namespace kolvane {

// The machine's physical memory in bytes; 0 when the system does not tell.
std::uint64_t PhysicalMemoryBytes();

// The memory the system can give without swapping (MemAvailable), in bytes; the
// physical memory when the system does not tell that, 0 when it tells neither.
std::uint64_t AvailableMemoryBytes();

// Sets glibc's allocator up for a process that holds a few buffers of tens or
// hundreds of megabytes: such blocks come from the heap instead of fresh mappings of
// their own, and memory freed while a picture loads stays for reuse rather than going
// back to the system, so each megabyte is faulted in once. Call it once, first thing.
// Large buffers also ask for huge pages themselves (AdviseHugePages).
void TuneMemoryForLargeBuffers();

}  // namespace kolvane
