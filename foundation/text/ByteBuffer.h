#pragma once
// The growable byte array of the whole program: sockets and protocol clients
// collect received bytes in it, the escaping, entity and Base64 routines build
// their output in it, the gzip reader hands inflated blocks through it.
//
// Sizes are 32-bit signed, as stored and exchanged by its users. Every growth
// is checked: a growth that would pass the largest 32-bit capacity, or whose
// allocation fails, returns false and leaves the buffer exactly as it was.
// Users that write into the storage directly (after Grow) set the length
// themselves with SetLength; the buffer never adds a terminating zero.

#include <cstddef>
#include <cstdint>
#include <string_view>

// Where a buffer's storage comes from when it is not the ordinary heap. A
// buffer with an allocator takes and releases all its storage through it; the
// buffer does not own the allocator, which must outlive it. Allocate returns
// null when it cannot give the size asked for.
class IByteBufferAllocator
{
public:
    virtual ~IByteBufferAllocator() = default;
    virtual uint8_t* Allocate(size_t size) = 0;
    virtual void Free(uint8_t* data) = 0;
};

class CByteBuffer
{
public:
    static constexpr int32_t kDefaultGrowStep = 256;
    static constexpr int32_t kMaxCapacity = INT32_MAX;

    // With an initial length above 0, allocates the smallest multiple of 256
    // that holds it and sets the length to it (the bytes are not
    // initialised). When that cannot be allocated the buffer starts empty.
    explicit CByteBuffer(IByteBufferAllocator* allocator = nullptr, int32_t initialLength = 0);
    virtual ~CByteBuffer();

    // Copies go through assignment, which keeps this buffer's allocator.
    CByteBuffer(const CByteBuffer&) = delete;

    // Takes the source's growth step, bytes, length and read position. When
    // the capacity is below the source's length it grows by whole growth
    // steps (old contents not kept). Assigning a buffer to itself does
    // nothing. On a failed allocation this buffer is left unchanged.
    CByteBuffer& operator=(const CByteBuffer& source);
    // The same as assignment, telling whether it succeeded.
    bool Assign(const CByteBuffer& source);

    // Raises the capacity by exactly n bytes, keeping the contents. n < 1
    // does nothing and succeeds.
    bool Grow(int32_t n);

    // Appends one byte; a full buffer first grows by the growth step
    // (clipped to the largest capacity). False when no room could be made.
    bool AppendByte(uint8_t b);

    // Releases the storage; length, capacity and read position become 0.
    // The growth step is kept.
    void Free();

    // Copies the first n bytes (clipped to the length) into dest, which
    // takes the growth step 256 and the read position 0; returns dest. dest
    // keeps its own allocator. dest may be this buffer (a truncation).
    CByteBuffer& CopyHead(CByteBuffer& dest, int32_t n) const;

    // True when at least n bytes remain from the read position and they
    // equal bytes[0..n) with both sides folded to upper case byte by byte
    // (ASCII). n <= 0 is true. The read position does not move.
    bool MatchAtNoCase(const void* bytes, int32_t n) const;

    uint8_t* GetData() { return m_data; }
    const uint8_t* GetData() const { return m_data; }
    // The bytes as text, for parsing in place; empty when there are none.
    std::string_view GetText() const
    {
        return m_data && m_length > 0 ? std::string_view(reinterpret_cast<const char*>(m_data), size_t(m_length))
                                      : std::string_view();
    }
    int32_t GetLength() const { return m_length; }
    int32_t GetCapacity() const { return m_capacity; }
    int32_t GetReadPos() const { return m_readPos; }
    int32_t GetGrowStep() const { return m_growStep; }
    IByteBufferAllocator* GetAllocator() const { return m_allocator; }

    // Clipped to 0 .. capacity; the read position is kept within the length.
    void SetLength(int32_t length);
    // Clipped to 0 .. length.
    void SetReadPos(int32_t position);
    // Removes n bytes from position on (clipped to the length), moving the
    // rest down; the read position goes back to 0. Nothing happens for a
    // position outside the bytes or n below 1.
    void Erase(int32_t position, int32_t n);
    // Values below 1 become 1: an append must always be able to grow.
    void SetGrowStep(int32_t step);

private:
    uint8_t* AllocateStorage(size_t size) const;
    void ReleaseStorage(uint8_t* data) const;
    // Makes this buffer hold n bytes copied from source (which may lie in
    // this buffer's own storage), growing in whole steps when needed.
    bool AssignBytes(const uint8_t* source, int32_t n, int32_t growStep, int32_t readPos);

    uint8_t* m_data = nullptr;
    IByteBufferAllocator* m_allocator = nullptr;
    int32_t m_length = 0;
    int32_t m_readPos = 0;
    int32_t m_capacity = 0;
    int32_t m_growStep = kDefaultGrowStep;
};
