// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "BlockPool.h"

#include <algorithm>
#include <new>

#include <sys/mman.h>

#if defined(__SANITIZE_ADDRESS__)
#define BLOCKPOOL_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BLOCKPOOL_HEAP 1
#endif
#endif

namespace {

#ifdef BLOCKPOOL_HEAP
constexpr bool heapOnly = true;
#else
constexpr bool heapOnly = false;
#endif

constexpr std::size_t chunkBytes = std::size_t(2) << 20;

struct Chunk
{
    Chunk *next;
};

// Every chunk ever made, linked through their first bytes; a plain pointer
// that nothing destroys.
std::atomic<Chunk *> chunks { nullptr };

// A chunk whose pages are all mapped at once: one call rather than a fault
// for each page. Huge pages are not asked for: where memory is lent by a
// hypervisor, a fresh huge page costs several times its small pages.
void *newChunk()
{
    void *chunk
        = mmap(nullptr, chunkBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (chunk == MAP_FAILED)
        throw std::bad_alloc();
#ifdef MADV_POPULATE_WRITE
    madvise(chunk, chunkBytes, MADV_POPULATE_WRITE); // older kernels fault the pages in instead
#endif
    auto *c = static_cast<Chunk *>(chunk);
    c->next = chunks.load();
    while (!chunks.compare_exchange_weak(c->next, c)) { }
    return chunk;
}

class Hold
{
public:
    explicit Hold(std::atomic_flag &flag)
        : flag(flag)
    {
        while (flag.test_and_set(std::memory_order_acquire)) { }
    }
    ~Hold() { flag.clear(std::memory_order_release); }

private:
    std::atomic_flag &flag;
};

} // namespace

BlockPool::BlockPool(std::size_t size, std::size_t align)
{
    // A freed block holds the link to the next one; chunks give 16-byte
    // alignment at most.
    align = std::clamp(align, alignof(FreeBlock), std::size_t(16));
    this->size = (std::max(size, sizeof(FreeBlock)) + align - 1) / align * align;
}

void *BlockPool::allocate(std::size_t bytes)
{
    if (!heapOnly && bytes <= size) {
        const Hold hold(busy);
        if (FreeBlock *block = free) {
            free = block->next;
            return block;
        }
        if (!next || next + size > end) {
            next = static_cast<char *>(newChunk()) + 16;
            end = next - 16 + chunkBytes;
        }
        void *block = next;
        next += size;
        return block;
    }
    return ::operator new(bytes);
}

bool BlockPool::holdsBlocks()
{
    return !heapOnly;
}

void BlockPool::release(void *block, std::size_t bytes) noexcept
{
    if (!heapOnly && block && bytes <= size) {
        const Hold hold(busy);
        auto *freed = static_cast<FreeBlock *>(block);
        freed->next = free;
        free = freed;
        return;
    }
    ::operator delete(block);
}
