#pragma once
// CTransferCounter: adds the bytes a job's client moves on its sockets to
// the job's totals, property 801 (received) and property 800 (sent), which
// the job logs when its run ends. Attached to the client for the length of
// a run; a count below 0 is not added.

#include "foundation/links/LinkItem.h"
#include "transfer/net/Connection.h"

class CTransferCounter final : public ITrafficObserver
{
public:
    explicit CTransferCounter(CLinkItem& item) : m_item(item) {}

    void OnReceived(int bytes) override
    {
        if (bytes >= 0)
            m_item.AddInt64(LI_BYTES_RECEIVED, bytes);
    }
    void OnSent(int bytes) override
    {
        if (bytes >= 0)
            m_item.AddInt64(LI_BYTES_SENT, bytes);
    }

private:
    CLinkItem& m_item;
};
