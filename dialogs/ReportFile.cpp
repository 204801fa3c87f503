#include "dialogs/ReportFile.h"

#include "platform/core/AtomicFile.h"
#include "transfer/base/TransferLogInterface.h"

namespace
{
// The log is copied in blocks of this size rather than as one string.
constexpr size_t kBlockSize = 64 * 1024;
} // namespace

bool SaveLogToFile(ITransferLog& log, const std::string& path)
{
    CAtomicFile file;
    if (!file.Open(path, 0644))
        return false;
    size_t length = 0;
    log.GetStats(nullptr, &length, nullptr, nullptr);
    std::string block;
    for (size_t offset = 0; offset < length;)
    {
        // An empty block before the end would leave a short report that
        // looks whole.
        const size_t got = log.GetTextPart(block, offset, kBlockSize);
        if (got == 0 || !file.Write(block))
        {
            file.Abandon();
            return false;
        }
        offset += got;
    }
    return file.Commit();
}
