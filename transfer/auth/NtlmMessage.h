#pragma once
// The three NTLM messages on the wire: NEGOTIATE (type 1) from the client,
// CHALLENGE (type 2) from the server, AUTHENTICATE (type 3) from the client.
// Every multi-byte number is little-endian; variable fields are (length,
// allocated length, offset from the message start) triples pointing into the
// payload after the fixed header.
//
// The challenge comes from the network and is trusted in nothing: every
// field is checked against the message before a byte of it is read.

#include "transfer/auth/NtlmEngine.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Negotiate flags this client uses or reads.
inline constexpr uint32_t NTLMSSP_NEGOTIATE_UNICODE = 0x00000001;
inline constexpr uint32_t NTLMSSP_NEGOTIATE_OEM = 0x00000002;
inline constexpr uint32_t NTLMSSP_REQUEST_TARGET = 0x00000004;
inline constexpr uint32_t NTLMSSP_NEGOTIATE_NTLM = 0x00000200;
inline constexpr uint32_t NTLMSSP_NEGOTIATE_ANONYMOUS = 0x00000800;
inline constexpr uint32_t NTLMSSP_NEGOTIATE_ALWAYS_SIGN = 0x00008000;
inline constexpr uint32_t NTLMSSP_NEGOTIATE_EXTENDED_SESSIONSECURITY = 0x00080000;
inline constexpr uint32_t NTLMSSP_NEGOTIATE_TARGET_INFO = 0x00800000;
inline constexpr uint32_t NTLMSSP_NEGOTIATE_VERSION = 0x02000000;
inline constexpr uint32_t NTLMSSP_NEGOTIATE_128 = 0x20000000;
inline constexpr uint32_t NTLMSSP_NEGOTIATE_56 = 0x80000000;

// What the client asks for in its NEGOTIATE message. No signing, sealing or
// key exchange: HTTP authentication needs none of them.
inline constexpr uint32_t kNtlmClientFlags =
    NTLMSSP_NEGOTIATE_UNICODE | NTLMSSP_NEGOTIATE_OEM | NTLMSSP_REQUEST_TARGET | NTLMSSP_NEGOTIATE_NTLM |
    NTLMSSP_NEGOTIATE_ALWAYS_SIGN | NTLMSSP_NEGOTIATE_EXTENDED_SESSIONSECURITY | NTLMSSP_NEGOTIATE_128 |
    NTLMSSP_NEGOTIATE_56;

// AV pair ids of the target information that the client looks at.
inline constexpr uint16_t kMsvAvEol = 0;
inline constexpr uint16_t kMsvAvTimestamp = 7;

// The size of the fixed part of a challenge before the optional target
// information fields, and the largest challenge accepted at all: no field of
// a real one passes 64 KiB, so anything larger is refused unread.
inline constexpr size_t kNtlmChallengeMinSize = 32;
inline constexpr size_t kNtlmChallengeMaxSize = 65536;

// The 32-byte NEGOTIATE message with the given flags and no domain or
// workstation.
std::vector<uint8_t> BuildNtlmNegotiateMessage(uint32_t flags);

struct NtlmChallengeMessage
{
    uint32_t flags = 0;
    NtlmNonce serverChallenge{};
    // Empty when the server sent none or a malformed one.
    std::vector<uint8_t> targetName;
    // The AV pair list as sent (empty without the TARGET_INFO flag).
    std::vector<uint8_t> targetInfo;
    bool hasTimestamp = false;
    uint64_t timestamp = 0; // MsvAvTimestamp, a Windows file time
};

// False for anything but a well-formed CHALLENGE: shorter than 32 bytes or
// longer than kNtlmChallengeMaxSize, a wrong signature or message type, a
// non-empty field that starts inside the fixed header or ends past the
// message (computed without overflow), a TARGET_INFO flag without room for
// its fields, or an AV pair list whose pairs run past its end. out is only
// written on success.
bool ParseNtlmChallengeMessage(const uint8_t* data, size_t length, NtlmChallengeMessage& out);

// The parts of an AUTHENTICATE message, every text already in the form the
// flags choose (Unicode or OEM bytes).
struct NtlmAuthenticateParts
{
    uint32_t flags = 0;
    std::vector<uint8_t> lmResponse;
    std::vector<uint8_t> ntResponse;
    std::vector<uint8_t> domain;
    std::vector<uint8_t> user;
    std::vector<uint8_t> workstation;
};

// The message (64-byte header, then domain, user, workstation, LM and NT
// responses). False when a part does not fit its 16-bit length field.
bool BuildNtlmAuthenticateMessage(const NtlmAuthenticateParts& parts, std::vector<uint8_t>& message);
