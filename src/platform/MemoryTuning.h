#pragma once

// How the C library keeps freed memory. Tarvex runs all day and handles payloads of up to
// 100 KB and scans of up to 1 MB again and again; by default such buffers were mapped afresh and
// the heap given back after each scan, so every one faulted in and zeroed its pages anew, which
// cost more than the work itself.
class MemoryTuning {
public:
    // Blocks under 32 MiB come from the heap, and up to 32 MiB of freed heap is kept for reuse.
    // Called first thing in main, before anything is allocated.
    static void KeepWorkingMemory();
};
