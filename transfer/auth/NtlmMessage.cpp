#include "transfer/auth/NtlmMessage.h"

#include "platform/core/ByteOrder.h"

#include <cstring>

namespace
{
constexpr uint8_t kSignature[8] = {'N', 'T', 'L', 'M', 'S', 'S', 'P', 0};
constexpr uint32_t kNegotiateType = 1;
constexpr uint32_t kChallengeType = 2;
constexpr uint32_t kAuthenticateType = 3;
constexpr size_t kAuthenticateHeaderSize = 64;
constexpr size_t kTargetInfoFieldsEnd = 48;

uint64_t ReadU64(const uint8_t* p)
{
    return static_cast<uint64_t>(LoadLittleEndian32(p)) | static_cast<uint64_t>(LoadLittleEndian32(p + 4)) << 32;
}

// A (length, allocated, offset) triple read at fieldPos, checked against the
// message. An empty field is accepted wherever its offset points.
bool ReadField(const uint8_t* data, size_t length, size_t fieldPos, std::vector<uint8_t>& out)
{
    const uint64_t fieldLength = LoadLittleEndian16(data + fieldPos);
    const uint64_t offset = LoadLittleEndian32(data + fieldPos + 4);
    if (fieldLength == 0)
    {
        out.clear();
        return true;
    }
    // 64-bit sums of a 16-bit and a 32-bit value cannot overflow.
    if (offset < kNtlmChallengeMinSize || offset + fieldLength > length)
        return false;
    out.assign(data + offset, data + offset + fieldLength);
    return true;
}

// Walks the AV pairs; false when a pair runs past the list. Notes the
// time stamp when the server gave one.
bool ReadTargetInfo(const std::vector<uint8_t>& info, bool& hasTimestamp, uint64_t& timestamp)
{
    size_t pos = 0;
    while (info.size() - pos >= 4)
    {
        const uint16_t id = LoadLittleEndian16(info.data() + pos);
        const size_t valueLength = LoadLittleEndian16(info.data() + pos + 2);
        pos += 4;
        if (valueLength > info.size() - pos)
            return false;
        if (id == kMsvAvEol)
            return true;
        if (id == kMsvAvTimestamp && valueLength == 8)
        {
            hasTimestamp = true;
            timestamp = ReadU64(info.data() + pos);
        }
        pos += valueLength;
    }
    // A list that simply ends without its closing pair is tolerated; a
    // stray partial pair header is not.
    return pos == info.size();
}
} // namespace

std::vector<uint8_t> BuildNtlmNegotiateMessage(uint32_t flags)
{
    std::vector<uint8_t> message(32, 0);
    std::memcpy(message.data(), kSignature, sizeof kSignature);
    StoreLittleEndian32(message.data() + 8, kNegotiateType);
    StoreLittleEndian32(message.data() + 12, flags);
    // Empty domain and workstation fields, pointing at the message end.
    StoreLittleEndian32(message.data() + 20, 32);
    StoreLittleEndian32(message.data() + 28, 32);
    return message;
}

bool ParseNtlmChallengeMessage(const uint8_t* data, size_t length, NtlmChallengeMessage& out)
{
    if (!data || length < kNtlmChallengeMinSize || length > kNtlmChallengeMaxSize)
        return false;
    if (std::memcmp(data, kSignature, sizeof kSignature) != 0 || LoadLittleEndian32(data + 8) != kChallengeType)
        return false;

    NtlmChallengeMessage parsed;
    // Nothing we compute reads the target name, and some servers send a
    // broken one: it is kept when sound and left empty otherwise, and only
    // the fields the response needs can refuse the challenge.
    if (!ReadField(data, length, 12, parsed.targetName))
        parsed.targetName.clear();
    parsed.flags = LoadLittleEndian32(data + 20);
    std::memcpy(parsed.serverChallenge.data(), data + 24, parsed.serverChallenge.size());

    if (parsed.flags & NTLMSSP_NEGOTIATE_TARGET_INFO)
    {
        if (length < kTargetInfoFieldsEnd || !ReadField(data, length, 40, parsed.targetInfo))
            return false;
        if (!ReadTargetInfo(parsed.targetInfo, parsed.hasTimestamp, parsed.timestamp))
            return false;
    }
    out = std::move(parsed);
    return true;
}

bool BuildNtlmAuthenticateMessage(const NtlmAuthenticateParts& parts, std::vector<uint8_t>& message)
{
    // Payload order, and where each triple sits in the header.
    const struct
    {
        const std::vector<uint8_t>* bytes;
        size_t fieldPos;
    } payload[] = {
        {&parts.domain, 28},     {&parts.user, 36},       {&parts.workstation, 44},
        {&parts.lmResponse, 12}, {&parts.ntResponse, 20},
    };

    size_t total = kAuthenticateHeaderSize;
    for (const auto& part : payload)
    {
        if (part.bytes->size() > 0xFFFF)
            return false;
        total += part.bytes->size();
    }

    std::vector<uint8_t> built(kAuthenticateHeaderSize, 0);
    built.reserve(total);
    std::memcpy(built.data(), kSignature, sizeof kSignature);
    StoreLittleEndian32(built.data() + 8, kAuthenticateType);
    for (const auto& part : payload)
    {
        const auto size = static_cast<uint32_t>(part.bytes->size());
        const auto offset = static_cast<uint32_t>(built.size());
        StoreLittleEndian16(built.data() + part.fieldPos, size);
        StoreLittleEndian16(built.data() + part.fieldPos + 2, size);
        StoreLittleEndian32(built.data() + part.fieldPos + 4, offset);
        built.insert(built.end(), part.bytes->begin(), part.bytes->end());
    }
    // No encrypted session key: empty field at the message end.
    StoreLittleEndian32(built.data() + 56, static_cast<uint32_t>(built.size()));
    StoreLittleEndian32(built.data() + 60, parts.flags);
    message = std::move(built);
    return true;
}
