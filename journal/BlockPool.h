// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef BLOCKPOOL_H
#define BLOCKPOOL_H

#include "journal_export.h"

#include <atomic>
#include <cstddef>

// Storage for many small objects of one class: blocks are carved from large
// chunks and reused once freed, so that a million readings cost a few
// allocations rather than a million, and freeing them costs next to
// nothing. Chunks are never given back; they stay reachable from a list
// without a destructor, so leak checkers see no leak. Under AddressSanitizer
// the ordinary heap is used, so that it still checks every block. Safe to
// use from several threads.
class JOURNAL_EXPORT BlockPool
{
public:
    // Blocks of size bytes, each aligned to align (the class's alignment, at
    // most 16), so that objects of pointer alignment lie back to back.
    BlockPool(std::size_t size, std::size_t align);

    // For a class's operator new and its sized operator delete: a larger
    // size (a derived class) goes to the ordinary heap.
    void *allocate(std::size_t bytes);
    void release(void *block, std::size_t bytes) noexcept;
    // False where blocks come from the ordinary heap (under AddressSanitizer).
    static bool holdsBlocks();

private:
    struct FreeBlock
    {
        FreeBlock *next;
    };

    std::size_t size;
    std::atomic_flag busy = ATOMIC_FLAG_INIT;
    FreeBlock *free = nullptr;
    char *next = nullptr;
    char *end = nullptr;
};

#endif
