#pragma once
// Reading ".gz" files (RFC 1952): a downloaded body that arrived
// gzip-encoded is stored as received and then inflated through this reader
// into a sink supplied by the caller, which writes the final file.
//
// The header is read first, for the stored name, the modification time and
// the size of the inflated data, and handed to the sink before any data. The
// data is then inflated through zlib's gzip file interface in blocks of
// 64 KB. Only files that begin with a gzip header are inflated: zlib would
// otherwise pass any other file through unchanged, and a body that claims to
// be gzip-encoded but is not must not be mistaken for its inflated form.
//
// The whole stream is checked: inflating succeeds only when every member
// ended with a matching CRC and length, so a truncated or damaged download
// never counts as inflated. Bytes after the last member that are not another
// gzip member are ignored, as the gzip program does.

#include <cstddef>
#include <cstdint>
#include <string>

// Results of ReadGzipHeader.
inline constexpr int kGzipHeaderOk = 0;
inline constexpr int kGzipHeaderUnreadable = -1; // cannot open, or a read falls short
inline constexpr int kGzipHeaderNotGzip = -2;    // magic, method or reserved flags wrong

// Stored names are file names; a longer name is cut to this many bytes (the
// header is still read past the whole name), so that a hostile file cannot
// make the reader hold its whole length in memory.
inline constexpr size_t kGzipMaxStoredName = 4096;

// The receiver of the inflated data.
class IGunzipSink
{
public:
    virtual ~IGunzipSink() = default;

    // Called once before any data with the stored name (empty when the file
    // has none), MTIME and ISIZE as found in the file. False refuses the
    // data: nothing is inflated.
    virtual bool Begin(const std::string& name, uint32_t modifiedTime, uint32_t size) = 0;
    // Takes count bytes; returns how many it took. Fewer than count ends
    // inflating as a failure.
    virtual int32_t Write(const void* bytes, int32_t count) = 0;
    // Polled before every block; true stops inflating.
    virtual bool IsCancelled() = 0;
};

// Reads the member header of the gzip file at path (through the program's
// raw file, deny-none sharing): the stored name when FNAME is set (else the
// empty text), MTIME, and ISIZE from the last four bytes of the file (the
// inflated size modulo 2^32; for a file of several members, the last
// member's). A comment and a header CRC are not read. Returns one of the
// kGzipHeader results; the outputs are meaningful only with kGzipHeaderOk.
int ReadGzipHeader(const std::string& path, std::string& name, uint32_t& modifiedTime, uint32_t& size);

// Inflates the gzip file at path into sink. Result codes (texts in the
// transfer result-code table):
//   0   every byte inflated, every member's CRC and length checked, every
//       block taken by the sink;
//   3   the sink asked to stop (what it was given so far is incomplete);
//   102 empty path, the sink refused the data in Begin, or took fewer bytes
//       than given in Write;
//   108 the gzip stream could not be opened;
//   111 the header could not be read or is not a gzip header, or the
//       compressed data is damaged or truncated (including a CRC or length
//       trailer that does not match).
// Any result but 0 means that what the sink received, if anything, is not the
// complete inflated file.
int GunzipFile(const std::string& path, IGunzipSink& sink);
