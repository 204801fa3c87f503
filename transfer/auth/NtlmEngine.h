#pragma once
// The NTLMv2 computations: the password hash, the response key and the two
// responses a client sends to prove it knows the password. The messages that
// carry them are in NtlmMessage.h; the exchange is NtlmSecurityPackage.h.
//
// Only version 2 is offered: the version 1 responses are DES over the bare
// password hash and can be reversed offline, and every server since the NT 4
// service packs accepts version 2.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

using NtlmHash = std::array<uint8_t, 16>;
using NtlmNonce = std::array<uint8_t, 8>;

// NTOWFv1: MD4 over the password as a Unicode string.
NtlmHash NtlmNtHash(std::string_view password);

// NTOWFv2 (ResponseKeyNT, equal to ResponseKeyLM): HMAC-MD5 keyed with the
// NT hash over the Unicode of the upper-cased user name followed by the
// domain exactly as given.
NtlmHash NtlmV2ResponseKey(const NtlmHash& ntHash, std::string_view user, std::string_view domain);

struct NtlmV2Responses
{
    // NtChallengeResponse: NTProofStr (16 bytes), then the client blob
    // (version 1.1, time, client nonce, the server's target information).
    std::vector<uint8_t> ntResponse;
    // LmChallengeResponse (LMv2): HMAC-MD5 over the two nonces (16 bytes),
    // then the client nonce.
    std::vector<uint8_t> lmResponse;
    NtlmHash sessionBaseKey{};
};

// time is a Windows file time (100 ns since 1601, UTC); targetInfo is the
// server's AV pair list exactly as it arrived.
NtlmV2Responses ComputeNtlmV2Responses(const NtlmHash& responseKey, const NtlmNonce& serverChallenge,
                                       const NtlmNonce& clientChallenge, uint64_t time,
                                       const std::vector<uint8_t>& targetInfo);
