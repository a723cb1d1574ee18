#include "data/rowmemory.h"

#include <algorithm>
#include <mutex>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

constexpr size_t kHugePage = size_t(2) * 1024 * 1024;
constexpr size_t kLargestStep = size_t(256) * 1024 * 1024;

size_t roundUp(size_t bytes, size_t unit) {
    return (bytes + unit - 1) / unit * unit;
}

// Blocks from the system, aligned on huge pages and advised to use them.
char* mapBlock(size_t size) {
#if defined(__linux__)
    // Mapped with a huge page to spare, so the block can start on a huge page's boundary.
    const size_t mapped = size + kHugePage;
    void* p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    char* start = static_cast<char*>(p);
    char* aligned = reinterpret_cast<char*>(roundUp(reinterpret_cast<size_t>(start), kHugePage));
    if (aligned > start)
        munmap(start, size_t(aligned - start));
    if (char* tail = aligned + size; tail < start + mapped)
        munmap(tail, size_t(start + mapped - tail));
#if defined(MADV_HUGEPAGE)
    madvise(aligned, size, MADV_HUGEPAGE);
#endif
    return aligned;
#else
    return static_cast<char*>(::operator new(size, std::align_val_t(kHugePage)));
#endif
}

void unmapBlock(char* base, size_t size) {
#if defined(__linux__)
    munmap(base, size);
#else
    ::operator delete(base, size, std::align_val_t(kHugePage));
#endif
}

// Blocks of closed sets, kept for the next large set: already touched, they cost it no page
// faults. Bounded, so that a process that once held a large list does not keep more than about
// one such list's worth for ever.
class SpareBlocks {
public:
    ~SpareBlocks() {
        for (const auto& [base, size] : m_blocks)
            unmapBlock(base, size);
    }

    // The smallest kept block of at least size bytes, or none.
    std::pair<char*, size_t> take(size_t size) {
        const std::lock_guard lock(m_mutex);
        auto best = m_blocks.end();
        for (auto it = m_blocks.begin(); it != m_blocks.end(); ++it)
            if (it->second >= size && (best == m_blocks.end() || it->second < best->second))
                best = it;
        if (best == m_blocks.end())
            return {nullptr, 0};
        const auto block = *best;
        m_blocks.erase(best);
        m_bytes -= block.second;
        return block;
    }

    void give(char* base, size_t size) {
        {
            const std::lock_guard lock(m_mutex);
            if (m_bytes + size <= kMostBytes && m_blocks.size() < kMostBlocks) {
                m_blocks.emplace_back(base, size);
                m_bytes += size;
                return;
            }
        }
        unmapBlock(base, size);
    }

private:
    static constexpr size_t kMostBytes = size_t(256) * 1024 * 1024;
    static constexpr size_t kMostBlocks = 16;
    std::mutex m_mutex;
    std::vector<std::pair<char*, size_t>> m_blocks;
    size_t m_bytes = 0;
};

SpareBlocks& spareBlocks() {
    static SpareBlocks spares;
    return spares;
}

} // namespace

RowMemory::RowMemory(size_t expectedBytes)
    : m_nextBlockSize(roundUp(std::max(expectedBytes, kHugePage), kHugePage)) {}

RowMemory::~RowMemory() {
    for (const Block& b : m_blocks)
        spareBlocks().give(b.base, b.size);
}

void RowMemory::addBlock(size_t atLeast) {
    const size_t size = roundUp(std::max(atLeast, m_nextBlockSize), kHugePage);
    auto [base, taken] = spareBlocks().take(size);
    if (!base) {
        base = mapBlock(size);
        taken = size;
    }
    m_blocks.push_back({base, taken});
    m_next = base;
    m_end = base + taken;
    // Each further block is larger, so a set far beyond its expected size takes few of them.
    m_nextBlockSize = std::min(m_nextBlockSize * 2, kLargestStep);
}

void* RowMemory::do_allocate(size_t bytes, size_t alignment) {
    auto aligned = [alignment](char* p) {
        return reinterpret_cast<char*>(roundUp(reinterpret_cast<size_t>(p), alignment));
    };
    if (!m_next || aligned(m_next) + bytes > m_end)
        addBlock(bytes + alignment);
    char* p = aligned(m_next);
    m_next = p + bytes;
    return p;
}
