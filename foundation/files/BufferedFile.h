#pragma once
// A byte stream over a CRawFile with a 64 KB buffer, open either for writing
// or for reading. Reads fetch at least 64 KB from the descriptor at a time;
// writes reach the descriptor only in batches of at least 64 KB, or at Flush,
// Seek, Tell, GetLength and Close. So the small reads and writes of the
// markup reader and writer and of the protocol clients cost no system call
// each.
//
// A stream open for writing appends: every batch lands at the end of the
// file, wherever Seek has put the position. It denies other writers; a
// stream open for reading shares everything.
//
// A batch that cannot be written (full disk, size limit) is taken off the
// file again and stays buffered, so a later Flush or Close can retry it
// without leaving a half-written block behind. Close reports whether every
// buffered byte reached the file.
//
// No operation throws; failures give -1 or false, and GetLastError gives the
// result code of the last failure. One owner, one thread at a time.

#include "foundation/text/ByteFifo.h"
#include "foundation/files/RawFile.h"
#include "foundation/text/StreamInterface.h"

#include <cstdint>
#include <string>

class CBufferedFile : public StreamInterface
{
public:
    enum Mode
    {
        modeClosed = -1,
        modeWrite = 0,
        modeRead = 1,
    };

    static constexpr int32_t kBufferSize = 0x10000;

    CBufferedFile();
    // Closes, writing out what is buffered.
    ~CBufferedFile() override;

    CBufferedFile(const CBufferedFile&) = delete;
    CBufferedFile& operator=(const CBufferedFile&) = delete;

    // Closes what is open, then opens path:
    // - modeWrite: an existing file that refuses writing loses its read-only
    //   attribute (and the file keeps none once closed); with
    //   an offset (not -1) first sets the file's size to exactly that offset
    //   (creating, cutting or extending it), so writing starts there; without
    //   one, writing appends to the file, which is created when missing.
    // - modeRead: reads from the offset (-1 means 0).
    // False for an empty path, another mode, or when the file cannot be
    // opened or positioned; the stream is closed then.
    [[nodiscard]] bool Open(const std::string& path, int mode, int64_t offset = -1);
    // Whether the last Open made the file (modeWrite without an offset on a
    // missing file).
    bool WasCreated() const { return m_file.WasCreated(); }

    // Writes out the buffer (writing) or drops it (reading), frees it and
    // closes the file. False when buffered bytes could not be written or the
    // close reported an error.
    bool Close();

    // Reading mode only: up to count bytes; fewer, possibly 0, at the end.
    int32_t Read(void* buffer, int32_t count) override;
    // Writing mode only: returns count, or -1 when a batch could not be
    // written out, in which case none of these count bytes were taken (the
    // bytes buffered before them stay buffered).
    int32_t Write(const void* bytes, int32_t count) override;
    // The position of the next byte: in writing mode after writing out the
    // buffer; in reading mode the next byte Read hands out.
    int64_t Tell() override;
    // Writes out (writing) or drops (reading) the buffer, then moves the
    // position; origin 1 counts from the position Tell gives.
    int64_t Seek(int64_t offset, int origin) override;

    // Writing mode only: writes out the buffered bytes in one call; returns
    // their count (0 when none), or -1 with the bytes kept buffered.
    int32_t Flush();

    // The file's length, after writing out the buffer in writing mode; in
    // reading mode the buffered bytes stay available to Read. -1 when closed.
    int64_t GetLength();

    // Reading mode only: the next line without its line end (LF or CR LF),
    // also when the CR and the LF arrive in different 64 KB fills. A last
    // line without LF is returned too; a CR that ends the file without an LF
    // is kept. False, with the empty text, at the end of the file or on a
    // read error.
    bool ReadLine(std::string& line);

    int32_t GetBufferSize() const { return kBufferSize; }
    int GetMode() const { return m_mode; }
    int GetLastError() const { return m_file.GetLastError(); }
    CRawFile& GetFile() { return m_file; }

private:
    // Reads at least want bytes (and at least the buffer size) from the
    // descriptor onto the end of the buffer; returns how many arrived, or -1.
    int32_t Fill(int32_t want);
    bool Fail(int errorNumber);
    // Open's modeWrite part: sizes the file to offset (unless -1) and opens
    // it for appending.
    bool OpenForWriting(const std::string& path, int64_t offset);

    CRawFile m_file;
    int m_mode = modeClosed;
    CByteFifo m_buffer;
    // Writing mode: the file's length (what reached it), and whether a Seek
    // moved the position away from its end since the last batch.
    int64_t m_length = 0;
    bool m_awayFromEnd = false;
};
