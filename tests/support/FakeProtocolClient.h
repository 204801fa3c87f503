#pragma once
// A protocol client whose answers the test sets, for the transfer job and
// the site connection pool. Connect succeeds (and marks the client
// connected) unless told otherwise; GetRemoteFileInfo stores the remote
// information the test chose; each Download call plays the next scripted
// attempt: it writes the body from the resume offset, at most the attempt's
// byte count, reports them to the meter and returns the attempt's result.
// The base class's DownloadToFile opens the real local file around it.

#include "foundation/links/LinkItem.h"
#include "foundation/text/StreamInterface.h"
#include "transfer/client/ProtocolClient.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferProgress.h"

#include <algorithm>
#include <string>
#include <vector>

class CFakeProtocolClient : public CProtocolClient
{
public:
    struct Attempt
    {
        int64_t maxBytes; // -1: the rest of the body
        int result;
    };

    explicit CFakeProtocolClient(int scheme = 1) : CProtocolClient(scheme) {}

    int Connect(CLinkItem&, ITransferLog*) override
    {
        ++connects;
        if (IsAborted())
            return kResultStopped;
        if (connectResult == kResultOk)
            SetConnected(1);
        return connectResult;
    }
    int Download(CLinkItem&, StreamInterface& file, int64_t offset, int64_t, ITransferLog*,
                 ITransferProgress* meter) override
    {
        const size_t index = size_t(downloads++);
        offsets.push_back(offset);
        const Attempt attempt = index < attempts.size() ? attempts[index] : Attempt{-1, kResultOk};
        const size_t from = size_t(std::min<int64_t>(offset, int64_t(body.size())));
        std::string part = body.substr(from);
        if (attempt.maxBytes >= 0 && int64_t(part.size()) > attempt.maxBytes)
            part.resize(size_t(attempt.maxBytes));
        if (!part.empty())
        {
            if (file.Write(part.data(), int32_t(part.size())) != int32_t(part.size()))
                return kResultDiskFull;
            if (meter)
                meter->Advance(int64_t(part.size()));
        }
        return attempt.result;
    }
    int Upload(CLinkItem&, ITransferLog*, ITransferProgress*) override { return kResultNotSupported; }
    int GetRemoteFileInfo(CLinkItem& request, ITransferLog*) override
    {
        ++infoRequests;
        if (remoteInfoResult != kResultOk)
            return remoteInfoResult;
        request.SetInt64(LI_SIZE, remoteSize);
        request.SetInt(LI_RESOURCE_TYPE, remoteKind);
        if (!remoteTag.empty())
            request.SetString(LI_ETAG, remoteTag.c_str());
        return kResultOk;
    }
    bool CheckIdleConnection() override
    {
        ++idleChecks;
        if (dropOnIdleCheck)
            SetConnected(0);
        return IsConnected();
    }

    // Script.
    std::string body;
    std::vector<Attempt> attempts;
    int connectResult = kResultOk;
    int remoteInfoResult = kResultOk;
    int64_t remoteSize = -1;
    int remoteKind = 2; // FILE
    std::string remoteTag;
    bool dropOnIdleCheck = false;

    // What happened.
    int connects = 0;
    int downloads = 0;
    int infoRequests = 0;
    int idleChecks = 0;
    std::vector<int64_t> offsets;
};
