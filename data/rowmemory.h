#pragma once

#include <cstddef>
#include <memory_resource>
#include <vector>

// The memory of a large record set's rows. It is taken from the system in large blocks, which
// the system backs with huge pages where it offers them, and handed out in order: reading a
// catalogue of many thousands of rows then neither copies arrays as they grow nor pays a page
// fault for every few kilobytes it fills, which costs more than reading the rows. Nothing is
// given back piece by piece; the blocks go when the resource does, and a few are kept for the
// next large set, which then touches no fresh memory.
class RowMemory : public std::pmr::memory_resource {
public:
    // expectedBytes: about how much the rows will take; more blocks follow when they take more.
    explicit RowMemory(size_t expectedBytes);
    ~RowMemory() override;
    RowMemory(const RowMemory&) = delete;
    RowMemory& operator=(const RowMemory&) = delete;

    // Whether a set of this many rows is worth memory of its own; smaller ones use the heap.
    static bool suits(int rows) { return rows >= kFewestRows; }

private:
    static constexpr int kFewestRows = 16384;

    struct Block {
        char* base = nullptr;
        size_t size = 0;
    };

    void* do_allocate(size_t bytes, size_t alignment) override;
    void do_deallocate(void*, size_t, size_t) override {}
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
        return this == &other;
    }
    void addBlock(size_t atLeast);

    std::vector<Block> m_blocks;
    char* m_next = nullptr;
    char* m_end = nullptr;
    size_t m_nextBlockSize;
};
