#pragma once

// How the C library keeps freed memory. Tarvex runs all day and expands payloads of up to
// 100 KB again and again; by default such buffers are mapped afresh and the heap is given back
// after each scan, so every expansion faulted in and zeroed its pages anew, which cost more than
// the expansion itself.
class MemoryTuning {
public:
    // Blocks under 1 MiB come from the heap, and up to 4 MiB of freed heap is kept for reuse.
    // Called first thing in main, before anything is allocated.
    static void KeepWorkingMemory();
};
