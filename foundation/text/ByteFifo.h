#pragma once
// A first-in, first-out byte queue with separate read and write positions:
// the read-ahead and write-behind store of the buffered file stream.
// Writers reserve room at the write position and fill it; readers take bytes
// from the read position. Whenever the two positions meet, both go back to 0.
// Room is made by moving the unread bytes to the front when more than half of
// the storage lies before them, and otherwise by growing with a fixed extra
// 0x8000 bytes, so a stream that keeps reading and refilling stays in one
// allocation and many small writes cause few reallocations.
//
// Sizes are 32-bit signed. A reservation that would pass the largest 32-bit
// capacity, or whose allocation fails, gives null; the queued bytes stay as
// they were.

#include <cstdint>

class CByteFifo
{
public:
    static constexpr int32_t kGrowth = 0x8000;

    // With an initial size above 0 that many bytes are reserved at once, so
    // they count as available (unwritten) bytes.
    explicit CByteFifo(int32_t initialSize = 0);
    ~CByteFifo();

    CByteFifo(const CByteFifo&) = delete;
    CByteFifo& operator=(const CByteFifo&) = delete;

    // Makes room for n bytes at the write position, advances the write
    // position by n and returns the first of them for the caller to fill.
    // One byte of the storage always stays free. Null for n < 0 or when no
    // room could be made; the queued bytes are kept then.
    uint8_t* Reserve(int32_t n);

    // Appends n bytes; 0 for n <= 0, -1 when no room could be made, else n.
    int32_t Write(const void* bytes, int32_t n);

    int32_t GetAvailable() const { return m_writePos - m_readPos; }
    // The first unread byte; null while no storage exists.
    const uint8_t* GetReadPtr() const { return m_data ? m_data + m_readPos : nullptr; }
    int32_t GetCapacity() const { return m_capacity; }

    // Takes min(n, available) bytes from the read position into dest and
    // returns how many.
    int32_t Read(void* dest, int32_t n);
    // Takes back min(n, available) bytes from the end: returns the unfilled
    // part of a reservation.
    void DropTail(int32_t n);
    // Empties the queue, keeping the storage.
    void Reset();
    // Releases the storage.
    void Free();

private:
    void RewindWhenEmpty();

    uint8_t* m_data = nullptr;
    int32_t m_capacity = 0;
    int32_t m_readPos = 0;
    int32_t m_writePos = 0;
    int32_t m_growth = kGrowth;
};
