#pragma once
// Logging to a transfer log that may be absent: most transfer calls take an
// optional ITransferLog*, and a null one means "log nothing".

#include "transfer/base/LogMessages.h"
#include "transfer/base/TransferLogInterface.h"

#include <cstdarg>

// Message template `index` (LogMessages.h) as a line of `kind`.
inline void LogMessage(ITransferLog* log, int kind, int index, ...)
{
    if (!log)
        return;
    va_list args;
    va_start(args, index);
    log->AppendMessageV(kind, index, args);
    va_end(args);
}

// A printf-formatted line of `kind`.
inline void LogFormat(ITransferLog* log, int kind, const char* format, ...)
{
    if (!log)
        return;
    va_list args;
    va_start(args, format);
    log->AppendFormatV(kind, format, args);
    va_end(args);
}
