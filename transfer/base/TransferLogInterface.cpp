#include "transfer/base/TransferLogInterface.h"

#include "platform/core/Text.h"
#include "transfer/base/LogMessages.h"

void ITransferLog::AppendFormatV(int kind, const char* format, va_list args)
{
    AppendLine(kind, FormatV(format, args));
}

void ITransferLog::AppendMessageV(int kind, int index, va_list args)
{
    if (LogMessageTemplate(index))
        AppendLine(kind, FormatLogMessageV(index, args));
}
