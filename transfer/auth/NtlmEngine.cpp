#include "transfer/auth/NtlmEngine.h"

#include "foundation/crypto/HmacMd5.h"
#include "foundation/crypto/Md4.h"
#include "transfer/auth/NtlmText.h"

#include <string.h>

namespace
{
void AppendLe(std::vector<uint8_t>& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Both NTLMv2 proofs are HMAC-MD5 under the response key of the server
// challenge followed by the client's own material.
NtlmHash ChallengeProof(const NtlmHash& responseKey, const NtlmNonce& serverChallenge, const uint8_t* tail,
                        size_t tailLength)
{
    NtlmHash proof{};
    CHmacMd5 hmac(responseKey.data(), responseKey.size());
    hmac.Update(serverChallenge.data(), serverChallenge.size());
    hmac.Update(tail, tailLength);
    hmac.Final(proof.data());
    return proof;
}
} // namespace

NtlmHash NtlmNtHash(std::string_view password)
{
    std::vector<uint8_t> unicode = NtlmUnicode(password);
    Md4Context context;
    Md4Init(context);
    Md4Update(context, unicode.data(), static_cast<uint32_t>(unicode.size()));
    NtlmHash hash{};
    Md4Final(context, hash.data());
    explicit_bzero(&context, sizeof context);
    if (!unicode.empty())
        explicit_bzero(unicode.data(), unicode.size());
    return hash;
}

NtlmHash NtlmV2ResponseKey(const NtlmHash& ntHash, std::string_view user, std::string_view domain)
{
    const std::vector<uint8_t> upperUser = NtlmUpperUnicode(user);
    const std::vector<uint8_t> unicodeDomain = NtlmUnicode(domain);
    CHmacMd5 hmac(ntHash.data(), ntHash.size());
    hmac.Update(upperUser.data(), upperUser.size());
    hmac.Update(unicodeDomain.data(), unicodeDomain.size());
    NtlmHash key{};
    hmac.Final(key.data());
    return key;
}

NtlmV2Responses ComputeNtlmV2Responses(const NtlmHash& responseKey, const NtlmNonce& serverChallenge,
                                       const NtlmNonce& clientChallenge, uint64_t time,
                                       const std::vector<uint8_t>& targetInfo)
{
    // The blob ("temp"): response version 1, highest version 1, six zero
    // bytes, the time, the client nonce, four zero bytes, the target
    // information and four closing zero bytes.
    std::vector<uint8_t> blob = {0x01, 0x01, 0, 0, 0, 0, 0, 0};
    AppendLe(blob, time, 8);
    blob.insert(blob.end(), clientChallenge.begin(), clientChallenge.end());
    AppendLe(blob, 0, 4);
    blob.insert(blob.end(), targetInfo.begin(), targetInfo.end());
    AppendLe(blob, 0, 4);

    NtlmV2Responses out;
    const NtlmHash proof = ChallengeProof(responseKey, serverChallenge, blob.data(), blob.size());
    out.ntResponse.assign(proof.begin(), proof.end());
    out.ntResponse.insert(out.ntResponse.end(), blob.begin(), blob.end());

    HmacMd5(responseKey.data(), responseKey.size(), proof.data(), proof.size(), out.sessionBaseKey.data());

    const NtlmHash lmProof =
        ChallengeProof(responseKey, serverChallenge, clientChallenge.data(), clientChallenge.size());
    out.lmResponse.assign(lmProof.begin(), lmProof.end());
    out.lmResponse.insert(out.lmResponse.end(), clientChallenge.begin(), clientChallenge.end());
    return out;
}
