// Facts about the running process that the operating system keeps, and how it is given
// memory.
#pragma once

#include <string>

namespace tiermend {

// The full file name of the running executable as the system reports it (on Windows,
// GetModuleFileNameA's, in the ANSI code page); empty when it cannot say.
std::string executablePath();

// Has the memory allocator keep what the process frees for its next allocations, rather
// than give large blocks back to the system at once. A refresh builds its index entries
// table after table in buffers of tens of megabytes; given back and taken again, every
// page of them would be faulted in anew (a third of the index work's time on Linux).
// With glibc: large blocks come from the heap (up to 32 MB), and the heap is trimmed
// only beyond 256 MB free. Elsewhere nothing changes.
void keepFreedMemoryForReuse();

}  // namespace tiermend
