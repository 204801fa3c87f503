#pragma once
// ITransferLog: the interface through which every transfer component (sockets,
// proxies, TLS, the protocol clients, jobs) writes its transfer log. Include
// only this header to log; CTransferLog (TransferLog.h) and a job's log pair
// implement it, CLogRegistry (LogRegistry.h) numbers and hands out logs.
//
// A log is a text of lines ending in "\r\n". Each appended line carries a kind
// that decides its prefix:
//   0 status "S:\t" (also every kind without a row below), 1 error "E:\t",
//   2 sent ">:\t", 3 received "<:\t", 4 detail "D:\t",
//   5 continuation of the current line (a new line of it starts with "\t"),
//   6 raw text, appended unchanged.
// Line breaks inside a text become "\r\n\t", so inner lines show as indented
// continuations. Numbered messages are the templates of LogMessages.h.
//
// A log is reference-counted: AddRef and Release are atomic, and the object
// deletes itself when the count reaches 0. Every operation may be called from
// any thread; implementations serialise them. Log lines never show a
// password: callers log a "PASS " command and a prompt's answer as "****"
// (MaskPasswordCommand in LogMessages.h); CTransferLog also masks the
// password of a URL written with its login (MaskUrlPasswords in
// UrlPasswordMask.h).

#include "foundation/text/StreamInterface.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Line kinds.
inline constexpr int kLogStatus = 0;
inline constexpr int kLogError = 1;
inline constexpr int kLogSent = 2;
inline constexpr int kLogReceived = 3;
inline constexpr int kLogDetail = 4;
inline constexpr int kLogContinuation = 5;
inline constexpr int kLogRaw = 6;

// Called after every change of a log, with the user data given when it was
// added, while the log's lock is held: an observer may read the log it
// watches, but must not take a lock that another thread may hold while it
// waits for this log.
using TransferLogObserver = void (*)(void* userData);

class ITransferLog
{
public:
    virtual ~ITransferLog() = default;

    // Atomic; return the new count. Release deletes the object at 0.
    virtual int AddRef() = 0;
    virtual int Release() = 0;

    virtual std::string GetName() = 0;
    virtual void SetName(const std::string& name) = 0;
    virtual int GetLogId() = 0;

    // Appends one text of the given kind (see the table above).
    virtual void AppendLine(int kind, std::string_view text) = 0;
    // Formats with printf rules ("%I64d" is a signed 64-bit integer), then
    // appends the result as AppendLine does. Formatted once, whatever the
    // log forwards the line to.
    void AppendFormatV(int kind, const char* format, va_list args);
    // Formats message template `index` (0 to 52, LogMessages.h) and appends
    // it; any other index appends nothing.
    void AppendMessageV(int kind, int index, va_list args);

    // Kept for callers of the old interface: answers -1 and does nothing.
    virtual int Reserved(intptr_t, intptr_t, intptr_t) { return -1; }

    // Any out pointer may be null. The change count grows by one on every
    // change; the dropped count is the number of lines removed from the front
    // so far. An unfinished last line counts as a line.
    virtual void GetStats(uint32_t* changeCount, size_t* textLength, int* lineCount, int* droppedCount) = 0;
    // The bytes [offset, offset + length) of the text, the length cut to what
    // is left; returns the length handed out. A length of 0 or an offset at or
    // beyond the end gives an empty text and 0.
    virtual size_t GetTextPart(std::string& text, size_t offset, size_t length) = 0;
    virtual void GetText(std::string& text) = 0;
    virtual uint32_t GetChangeCount() = 0;

    // "The first n lines" is the text up to and including the n-th '\n', or
    // all of it when it has fewer; n below 0 counts as 0.
    //
    // Hands the first n lines to sink.Write as one block and returns what the
    // write returned. The log is not changed.
    virtual int32_t WriteLines(int n, StreamInterface& sink) = 0;
    // Removes the first n lines (all when n is not below the line count),
    // copying them into *removed when it is not null.
    virtual void TakeLines(int n, std::string* removed = nullptr) = 0;
    // WriteLines, then removes the lines the sink took whole: a failing sink
    // loses nothing, and after a short write the next flush does not write
    // the lines it took again.
    virtual int32_t FlushLines(int n, StreamInterface& sink) = 0;
    // Empties the log; its lines count as dropped.
    virtual void Clear() = 0;
    // Says that nobody is expected to write to the log for a while (its job
    // has ended): the log may keep its text in a smaller form, which any
    // later call reads or changes as before. Nothing a caller sees changes.
    virtual void Compact() {}

    // A null callback is ignored. Observers are called last added first.
    virtual void AddObserver(TransferLogObserver callback, void* userData) = 0;
    // Removes every observer whose callback equals a non-null callback, or
    // whose user data equals a non-null userData.
    virtual void RemoveObserver(TransferLogObserver callback, void* userData) = 0;

    // Variadic forms of AppendFormatV and AppendMessageV.
    void AppendFormat(int kind, const char* format, ...)
    {
        va_list args;
        va_start(args, format);
        AppendFormatV(kind, format, args);
        va_end(args);
    }
    void AppendMessage(int kind, int index, ...)
    {
        va_list args;
        va_start(args, index);
        AppendMessageV(kind, index, args);
        va_end(args);
    }
};
