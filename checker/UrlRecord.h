#pragma once
// CUrlRecord: what a task knows of one distinct URL (with its POST data):
// where its content is kept, how its transfer went, and which link node met
// it first. Every node with that URL points to the record; the engine finds
// records by their exact key through CUrlRecordIndex.
//
// Like every CRefStringMap the record is reference counted and deleted by its
// last Release. It has no lock: the engine changes it under its own lock.

#include "foundation/stores/RefStringMap.h"
#include "platform/core/OleDateTime.h"

#include <cstdint>
#include <string>
#include <vector>

class CLinkNode;

// The transfer status of a URL.
class CUrlStatus
{
public:
    enum State : int
    {
        kNew = 0,
        kError = 1,
        kWaiting = 2,
        kWorking = 3,
        kDone = 4,
    };

    // The status text; when it is empty, "Waiting" while waiting, "Busy"
    // while working, else "None".
    std::string GetText() const;
    // Sets status and code and moves the stamp on.
    void SetState(int state, int code);

    std::string m_text; // empty: use the default text
    int m_state = kNew;
    int m_code = 0;
    uint32_t m_stamp = 0; // moves on with every status or text change
};

class CUrlRecord : public CRefStringMap
{
public:
    // Times invalid, sizes not known.
    CUrlRecord();

    // Sets the status text and moves the status stamp on.
    void SetText(const std::string& text);

    std::string m_localPath; // the local file or folder that holds the content
    std::string m_url;       // the remote URL; empty for a local link
    // Where the content came from when the transfer followed redirects on
    // the same site ("/pub" answered from "/pub/"); empty when that is m_url.
    // The page's links are relative to it, not to the URL that was asked for.
    std::string m_contentUrl;
    CUrlStatus m_status;
    std::string m_contentType;
    std::string m_contentLocation;
    int m_jobId = 0;         // the transfer job serving this URL; 0 for none
    int m_parsedNodeId = 0;  // the node whose page was parsed; 0 for none
    CLinkNode* m_firstNode = nullptr; // not owned
    int m_occurrences = 0;   // nodes attached to the record
    // The other nodes attached, in table order: a finished transfer reaches
    // them without a walk over the whole table.
    std::vector<CLinkNode*> m_repeats;
    int m_references = 0;    // of those, the ones found on HTML pages
    int64_t m_lastBytesSent = 0;
    int64_t m_lastBytesReceived = 0;
    int m_contentKind = 0;   // link type
    uint32_t m_contentKindStamp = 0;
    uint32_t m_parseStamp = 0;    // tick count when the page's parse ended
    uint32_t m_parseDuration = 0; // milliseconds its parse and link walk took
    int64_t m_localSize = -1;  // -1 while not known
    int64_t m_remoteSize = -1; // -1 while not known
    COleDateTime m_localTime;
    uint32_t m_localAttributes = 0;
    COleDateTime m_remoteTime;
    bool m_recheck = false;      // the next request downloads
    bool m_hasLocalCopy = false; // a usable local copy exists

protected:
    ~CUrlRecord() override;
};
