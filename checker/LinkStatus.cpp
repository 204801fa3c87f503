#include "checker/LinkStatus.h"

#include "checker/LinkInfo.h"
#include "checker/LinkNames.h"

#include "foundation/files/PathUtils.h"
#include "transfer/base/ResultCodes.h"

namespace
{
// An ended job or a broken link without a result code was suspended, not
// failed.
constexpr int kCodeSuspended = 0;
constexpr int kCodeStopped = kResultStopped;
constexpr int kCodeSkipped = kResultAborted;
constexpr int kCodeExternalRedirect = kResultRedirectOutside;

int BrokenIcon(int code)
{
    switch (code)
    {
    case kCodeSuspended:
        return 20;
    case kCodeStopped:
        return 1;
    case kCodeSkipped:
        return 6;
    case kCodeExternalRedirect:
        return 10;
    default:
        return 7;
    }
}

void SetText(std::string* text, std::string value)
{
    if (text)
        *text = std::move(value);
}
} // namespace

int LinkStatusText(int jobStatus, int resultCode, int requestKind, std::string* text)
{
    switch (jobStatus)
    {
    case 0:
        SetText(text, "new");
        return 0;
    case 1:
        switch (resultCode)
        {
        case kCodeSuspended:
            SetText(text, "suspended");
            break;
        case kCodeStopped:
            SetText(text, "stopped");
            break;
        case kCodeSkipped:
            SetText(text, "skipped");
            break;
        case kCodeExternalRedirect:
            SetText(text, "external redirect");
            break;
        default:
            SetText(text, TransferErrorText(resultCode));
            break;
        }
        return BrokenIcon(resultCode);
    case 2:
        SetText(text, "waiting");
        return 2;
    case 3:
        SetText(text, "working");
        return 3;
    case 4:
        switch (requestKind)
        {
        case 6:
            SetText(text, "info OK");
            return 22;
        case 1:
        case 8:
            SetText(text, "downloaded");
            return 4;
        case 2:
            SetText(text, "uploaded");
            return 4;
        default:
            SetText(text, "finished");
            return 4;
        }
    default:
        SetText(text, "unknown");
        return 5;
    }
}

int LinkStateGroup(int icon)
{
    switch (icon)
    {
    case 0:
        return 0;
    case 2:
        return 2;
    case 3:
        return 3;
    case 4:
    case 22:
        return 4;
    default:
        return 1;
    }
}

int LinkTypeIcon(const CLinkInfo& record)
{
    switch (record.m_linkType)
    {
    case kTypeMailto:
        return 17;
    case kTypeScript:
        return 19;
    case kTypeGenericUrl:
    case kTypeUrlList:
        return 25;
    case kTypeForm:
        return 9;
    case kTypeAnchor:
        return 21;
    case kTypeHttpRedirect:
        return 10;
    default:
        break;
    }

    switch (record.m_state)
    {
    case kStateRedirected:
        return 10;
    case kStateFiltered:
        return 6;
    case kStateNotAvailableOffline:
        return 24;
    case kStateMaxRecursion:
        if (record.m_linkType == kTypeFtpList)
            return 16;
        return record.m_linkType == kTypeLocalFolder ? 15 : 18;
    default:
        break;
    }

    if (record.m_linkType == kTypeFtpList)
        return 13;
    if (record.m_linkType == kTypeLocalFolder)
        return 14;

    const bool first = record.IsFirstOccurrence();
    switch (record.m_state)
    {
    case kStateUnknown:
        return 0;
    case kStateWaiting:
        return 2;
    case kStateProcessing:
        return 3;
    case kStateDownloaded:
        if (record.m_linkType == kTypeHtml)
        {
            if (record.m_brokenChildren > 0)
                return 26;
            return first ? 11 : 12;
        }
        return first ? 4 : 8;
    case kStateInfoOnly:
        if (IsLocalPath(record.m_url))
            return 5;
        return first ? 22 : 23;
    case kStateBroken:
        return BrokenIcon(record.m_errorDetail);
    case kStateStopped:
        return 1;
    case kStateIsExternal:
        return 6;
    default:
        return 5;
    }
}
