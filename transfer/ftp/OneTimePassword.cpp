#include "transfer/ftp/OneTimePassword.h"

#include "foundation/crypto/Md4.h"
#include "foundation/crypto/Md5.h"
#include "platform/core/Text.h"
#include "transfer/ftp/OtpDictionary.h"

#include <algorithm>

namespace
{

constexpr std::string_view kTagMd4 = " otp-md4 ";
constexpr std::string_view kTagMd5 = " otp-md5 ";
constexpr std::string_view kTagSkey = " s/key ";

// Feeds any length to a digest whose update takes 32-bit lengths.
template <typename Context, typename Update> void Feed(Context& context, Update update, std::string_view data)
{
    while (!data.empty())
    {
        const size_t part = std::min<size_t>(data.size(), UINT32_MAX);
        update(context, data.data(), static_cast<uint32_t>(part));
        data.remove_prefix(part);
    }
}

// The digest of the parts one after another, folded to 64 bits.
OtpKey DigestAndFold(OtpDigest digest, std::string_view first, std::string_view second = {})
{
    uint8_t full[16];
    if (digest == OtpDigest::Md4)
    {
        Md4Context context;
        Md4Init(context);
        Feed(context, Md4Update, first);
        Feed(context, Md4Update, second);
        Md4Final(context, full);
    }
    else
    {
        Md5Context context;
        Md5Init(context);
        Feed(context, Md5Update, first);
        Feed(context, Md5Update, second);
        Md5Final(context, full);
    }
    OtpKey key;
    for (size_t i = 0; i < key.size(); ++i)
        key[i] = full[i] ^ full[i + 8];
    return key;
}

// "sequence seed" at the start of text (after white space): the sequence a
// decimal number of at most kMaxOtpSequence followed by white space, the
// seed a run of non-white-space characters.
bool ReadSequenceAndSeed(std::string_view text, int& sequence, std::string& seed)
{
    size_t pos = 0;
    while (pos < text.size() && IsAsciiSpace(text[pos]))
        ++pos;
    const size_t digitsStart = pos;
    int value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
    {
        value = value * 10 + (text[pos++] - '0');
        if (value > kMaxOtpSequence)
            return false;
    }
    if (pos == digitsStart || pos >= text.size() || !IsAsciiSpace(text[pos]))
        return false;
    while (pos < text.size() && IsAsciiSpace(text[pos]))
        ++pos;
    const size_t seedStart = pos;
    while (pos < text.size() && !IsAsciiSpace(text[pos]))
        ++pos;
    if (pos == seedStart)
        return false;
    sequence = value;
    seed.assign(text.substr(seedStart, pos - seedStart));
    return true;
}

bool ComputeOtpWords(OtpDigest digest, int sequence, std::string_view passPhrase, std::string_view seed,
                     std::string& output)
{
    OtpKey key;
    if (!ComputeOtpKey(digest, sequence, passPhrase, seed, key))
        return false;
    output = OtpToSixWords(key);
    return true;
}

} // namespace

bool ComputeOtpKey(OtpDigest digest, int sequence, std::string_view passPhrase, std::string_view seed,
                   OtpKey& key)
{
    if (sequence < 0 || sequence > kMaxOtpSequence)
        return false;
    OtpKey folded = DigestAndFold(digest, MakeLower(seed), passPhrase);
    for (int i = 0; i < sequence; ++i)
        folded = DigestAndFold(digest,
                               std::string_view(reinterpret_cast<const char*>(folded.data()), folded.size()));
    key = folded;
    return true;
}

bool ComputeOtpMd4(int sequence, std::string_view passPhrase, std::string_view seed, std::string& output)
{
    return ComputeOtpWords(OtpDigest::Md4, sequence, passPhrase, seed, output);
}

bool ComputeOtpMd5(int sequence, std::string_view passPhrase, std::string_view seed, std::string& output)
{
    return ComputeOtpWords(OtpDigest::Md5, sequence, passPhrase, seed, output);
}

uint32_t ExtractBits(const uint8_t* bytes, size_t size, int offset, int count)
{
    if (offset < 0 || count < 1 || count > 16)
        return 0;
    const size_t first = static_cast<size_t>(offset) / 8;
    uint32_t window = 0;
    for (size_t i = first; i < first + 3; ++i)
        window = (window << 8) | (i < size ? bytes[i] : 0u);
    window >>= 24 - (count + offset % 8);
    return window & (0xFFFFu >> (16 - count));
}

std::string OtpToSixWords(const OtpKey& key)
{
    uint8_t field[9] = {};
    std::copy(key.begin(), key.end(), field);
    uint32_t checksum = 0;
    for (int bit = 0; bit < 64; bit += 2)
        checksum += ExtractBits(field, sizeof field, bit, 2);
    field[8] = static_cast<uint8_t>((checksum & 3u) << 6);

    std::string words;
    for (int bit = 0; bit <= 55; bit += 11)
    {
        if (!words.empty())
            words += ' ';
        words += OtpDictionaryWord(static_cast<int>(ExtractBits(field, sizeof field, bit, 11)));
    }
    return words;
}

bool MakeOtpAnswer(std::string_view passPhrase, std::string& answer, std::string_view challenge, int& kind)
{
    if (kind == kLoginSkeyAuto)
    {
        // S/Key is the MD4 scheme (RFC 1760, kept by RFC 2289): an MD5
        // answer to an "s/key" challenge could never log in.
        if (challenge.find(kTagMd4) != std::string_view::npos)
            kind = kLoginSkeyMd4;
        else if (challenge.find(kTagMd5) != std::string_view::npos)
            kind = kLoginSkeyMd5;
        else if (challenge.find(kTagSkey) != std::string_view::npos)
            kind = kLoginSkeyMd4;
    }
    if (kind != kLoginSkeyMd4 && kind != kLoginSkeyMd5)
    {
        answer.assign(passPhrase);
        return true;
    }

    // Without its tag the reply holds no challenge: its first number would be
    // the reply code, not a sequence number.
    const std::string text = " " + MakeLower(challenge);
    const std::string_view tag = kind == kLoginSkeyMd4 ? kTagMd4 : kTagMd5;
    size_t tagEnd = std::string::npos;
    if (const size_t at = text.find(tag); at != std::string::npos)
        tagEnd = at + tag.size();
    else if (const size_t skey = text.find(kTagSkey); skey != std::string::npos)
        tagEnd = skey + kTagSkey.size();
    if (tagEnd == std::string::npos)
        return false;

    int sequence = 0;
    std::string seed;
    if (!ReadSequenceAndSeed(std::string_view(text).substr(tagEnd), sequence, seed))
        return false;
    const OtpDigest digest = kind == kLoginSkeyMd4 ? OtpDigest::Md4 : OtpDigest::Md5;
    return ComputeOtpWords(digest, sequence, passPhrase, seed, answer);
}
