#pragma once
// Thin wrappers over POSIX file descriptors for the file classes of the
// foundation. The open flags and share modes keep the values of the C
// run-time's open, so flag words written for it keep their meaning.
//
// Every call that fails returns -1 or false and leaves the cause in errno (a
// POSIX errno value for the caller to map); the clean-up after a failure never
// overwrites it. Descriptors are opened close-on-exec.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <sys/types.h>

// Open flags. Exactly one access mode; the others combine.
inline constexpr int kOpenReadOnly = 0x0000;
inline constexpr int kOpenWriteOnly = 0x0001;
inline constexpr int kOpenReadWrite = 0x0002;
inline constexpr int kOpenAccessMask = 0x0003;
inline constexpr int kOpenAppend = 0x0008;    // every write goes to the end
inline constexpr int kOpenCreate = 0x0100;    // create a missing file
inline constexpr int kOpenTruncate = 0x0200;  // empty the file (needs write access)
inline constexpr int kOpenExclusive = 0x0400; // with create: fail when the path exists
inline constexpr int kOpenText = 0x4000;      // accepted; no newline translation on this platform
inline constexpr int kOpenBinary = 0x8000;    // accepted; files are always binary here

// Share modes. A mode that denies anything takes an exclusive advisory lock
// (flock) for the life of the descriptor, so two such opens of one file, in
// this or another running copy, exclude each other and the second fails with
// EACCES; deny-none takes no lock. Programs that take no lock are not held off.
inline constexpr int kShareDenyReadWrite = 0x10;
inline constexpr int kShareDenyWrite = 0x20;
inline constexpr int kShareDenyRead = 0x30;
inline constexpr int kShareDenyNone = 0x40;

// Opens a regular file; returns the descriptor or -1. createMode applies
// (less the umask) when the file is created. Only regular files open: a
// folder fails with EISDIR and a device, pipe or socket with EINVAL, so that
// no reader blocks on a pipe or reads a device without end. Truncation
// happens after the share lock is taken, never on a file that is in use.
// With `created`, a create that is not exclusive also tells whether it made
// the file: the caller need not ask about the name first, which on a missing
// name costs a lookup under the folder's lock that every thread creating
// files in that folder contends for. Such a create does not follow a
// dangling symbolic link to make its target (ENOENT).
int PosixOpen(const std::string& path, int flags, int shareMode = kShareDenyNone, mode_t createMode = 0666,
              bool* created = nullptr);

// Reads until count bytes or the end of the file; returns the bytes read (0 at
// the end) or -1.
int64_t PosixRead(int fd, void* buffer, size_t count);

// Opens a file for reading and reads its first `most` bytes (all of a
// shorter file) into bytes. False, bytes emptied, when it cannot be opened or
// read. A caller that needs to know whether a file is larger than a limit
// asks for one byte more.
bool PosixReadFileHead(const std::string& path, size_t most, std::string& bytes);

// Writes all count bytes, going on after short writes and interruptions;
// returns count, or -1 when any part could not be written (the file position
// then lies somewhere after the bytes that were written).
int64_t PosixWrite(int fd, const void* data, size_t count);

// origin 0 from the start, 1 from the current position, 2 from the end;
// returns the new position or -1.
int64_t PosixSeek(int fd, int64_t offset, int origin);
int64_t PosixTell(int fd);
int64_t PosixGetLength(int fd);

// Cuts or extends the file to length bytes; new bytes read as zero.
bool PosixSetLength(int fd, int64_t length);

// Closes the descriptor (it is released even when this fails); false when the
// close reported an error, such as data that could not be written out.
bool PosixClose(int fd);

// Modification time of an open file, in whole seconds.
bool PosixGetModifiedTime(int fd, time_t& modified);
// Sets the modification time of a path and leaves its access time alone.
bool PosixSetModifiedTime(const std::string& path, time_t modified);

// The read-only attribute is the owner's write permission. Setting it
// removes every write permission; clearing it gives the owner write
// permission back. Nothing changes when the attribute is already as asked.
bool PosixGetReadOnly(const std::string& path, bool& readOnly);
bool PosixSetReadOnly(const std::string& path, bool readOnly);

// Creates a folder and any missing folders above it with the given mode
// (less the umask); true when the path is a folder afterwards. Existing
// folders keep their mode.
bool PosixCreateDirectories(const std::string& path, mode_t mode);
