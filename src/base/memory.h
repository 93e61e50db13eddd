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

// Runs the process anew, once, with glibc's allocator set to ask for transparent huge
// pages and to keep freed memory for reuse (its tunables are read only at start-up).
// Conversions fault in hundreds of megabytes, which costs more than the work done in
// them on virtual machines. Returns (and changes nothing) when the tunables are set
// already or the restart fails.
void RestartWithMemoryTuning(char** argv);

}  // namespace kolvane
