#pragma once
// The check that decides whether an idle, kept-alive connection may carry the
// next request: both protocol clients look, without waiting, whether the
// server has sent anything since the last exchange. Nothing waiting means the
// connection is sound. The peer having closed it, or a socket error, means it
// is gone. Bytes waiting on an idle connection answer no request of ours (a
// late reply, a server's goodbye): they are read away, so the caller can log
// them, and the connection must not be reused, since the next reply could not
// be told apart from them.

#include <string>

class CConnection;

enum class IdleProbeResult
{
    Quiet,  // nothing waiting: reusable
    Closed, // the peer closed the connection or the socket failed
    Stray,  // bytes were waiting; they have been read into the text
};

// How much of a stray answer is peeked at and read away.
inline constexpr int kIdleProbePeekBytes = 255;
inline constexpr int kIdleProbeStrayBytes = 10240;

// Polls the connection without waiting (CConnection::PeekNoWait, which also
// notices a peer that has closed, and looks through the TLS layer when one
// is attached, so TLS records without application data, such as session
// tickets, leave the connection Quiet). For Stray, up to
// kIdleProbeStrayBytes are received into stray. A stray read that finds nothing more waits at most one
// second, so a sweep over idle connections never stalls on one of them. The
// connection itself is left open: closing it is the caller's decision.
IdleProbeResult ProbeIdleConnection(CConnection& connection, std::string& stray);
