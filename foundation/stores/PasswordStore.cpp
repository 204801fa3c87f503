#include "foundation/stores/PasswordStore.h"

#include "foundation/text/AttributeList.h"
#include "foundation/desktop/ShellHooks.h"
#include "foundation/markup/AttributeMapSink.h"
#include "foundation/stores/DataFolderFile.h"
#include "foundation/crypto/Blowfish.h"
#include "foundation/files/BufferedFile.h"
#include "foundation/text/ByteBuffer.h"
#include "foundation/text/Escaping.h"
#include "foundation/text/MemoryReadStream.h"
#include "platform/core/AtomicFile.h"
#include "platform/core/OleDateTime.h"
#include "platform/core/Text.h"
#include "platform/core/TickCount.h"

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

namespace
{
// The Blowfish key of the file is made from these 119 bytes.
constexpr char kBaseKey[] = "Tw9#kQ2!vL7@pX4$zR8%mN3^cJ6&hF1*bD5(gS0)yE-_+=wA{uK}iO[rT]eP;:lM,<.>/"
                            "?qZ~Cv|Bn`HjGf 'Tangle' warden keeps "
                            "the key ring!";
static_assert(sizeof kBaseKey - 1 == 119);

// The scrambling XORs every password with these 161 characters.
constexpr char kScrambleKey[] = "Oa4:Gt8;Wm1.Yq6,Hx3!Rk7?Ub2-Ij9+Ls5=Fe0*\n"
                                "\tNd3%Vc8&Zp1#Jg6@Ko4~Mh9^Tr2_Bw7|Xs5/Qy0$\n"
                                "Ep8(Lu3)Di6[Sn1]Cf4{Ah9}Wz2<Gk7>Rm5'Yv0`\n"
                                "\tPb6:Hq1;Tj4.Nx9,Ue3!Fo8?Kc2-Zl7+Iw5=";
static_assert(sizeof kScrambleKey - 1 == 161);

// The substitution S is one cycle through these characters: each maps to the
// next, the last to the first. Every other character maps to itself.
constexpr char kCycle[] = "7Hq=2Xm9Rd4Kz0Tb5";
constexpr size_t kCycleLength = sizeof kCycle - 1;
static_assert(kCycleLength == 17);

char Substitute(char c, bool inverse)
{
    for (size_t i = 0; i < kCycleLength; ++i)
    {
        if (kCycle[i] == c)
            return kCycle[inverse ? (i + kCycleLength - 1) % kCycleLength : (i + 1) % kCycleLength];
    }
    return c;
}

void XorWithScrambleKey(std::string& buffer)
{
    if (buffer.empty())
        return; // nothing to mix, and no length to wrap around
    size_t n = 0;
    for (int pass = 0; pass < 5; ++pass)
    {
        for (size_t k = 0; k < sizeof kScrambleKey - 1; ++k, ++n)
            buffer[n % buffer.size()] ^= kScrambleKey[k];
    }
}

bool IsAsciiAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string MakeFileKey(std::string_view master)
{
    std::string key(kBaseKey, sizeof kBaseKey - 1);
    if (master.empty())
        return key;
    const size_t length = master.size();
    for (size_t j = 0; j < key.size(); ++j)
    {
        const uint8_t m = static_cast<uint8_t>(master[j % length]);
        const unsigned shift = (j / length) % 8;
        const uint8_t rotated = static_cast<uint8_t>(shift ? (m << shift) | (m >> (8 - shift)) : m);
        key[j] = static_cast<char>(static_cast<uint8_t>(key[j]) ^ rotated);
    }
    return key;
}

// The text between the double quotes of a value, such that the reader, which
// decodes entities, gets value back.
std::string QuotedValueText(const std::string& value)
{
    if (value.find('"') == std::string::npos && UnescapeXmlEntities(value) == value)
        return value;
    return EscapeXmlEntities(value);
}

uint8_t* Bytes(std::string& text)
{
    return reinterpret_cast<uint8_t*>(text.data());
}
} // namespace

std::string ScrambleValue(std::string_view password)
{
    std::string buffer;
    buffer.reserve(password.size() + 28);
    for (char c : password)
        buffer.push_back(Substitute(c, false));
    if (buffer.size() < 27)
        buffer.resize(27, '\0');
    buffer.push_back('\0');
    XorWithScrambleKey(buffer);

    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(buffer.size() * 3);
    for (char c : buffer)
    {
        if (IsAsciiAlnum(c))
        {
            out.push_back(Substitute(c, false));
            continue;
        }
        const uint8_t b = static_cast<uint8_t>(c);
        out.push_back('\\');
        out.push_back(Substitute(kHex[b >> 4], false));
        out.push_back(Substitute(kHex[b & 0x0F], false));
    }
    return out;
}

std::string DescrambleValue(std::string_view stored)
{
    std::string buffer;
    buffer.reserve(stored.size());
    for (size_t i = 0; i < stored.size(); ++i)
    {
        const char c = Substitute(stored[i], true);
        if (c != '\\')
        {
            buffer.push_back(c);
            continue;
        }
        if (i + 2 >= stored.size())
            return {};
        const int high = std::max(0, HexDigitValue(Substitute(stored[i + 1], true)));
        const int low = std::max(0, HexDigitValue(Substitute(stored[i + 2], true)));
        buffer.push_back(static_cast<char>(high << 4 | low));
        i += 2;
    }
    XorWithScrambleKey(buffer);
    for (char& c : buffer)
        c = Substitute(c, true);
    const size_t zero = buffer.find('\0');
    if (zero != std::string::npos)
        buffer.resize(zero);
    return buffer;
}

CPasswordStore::CPasswordStore() = default;

CPasswordStore::~CPasswordStore() = default;

void CPasswordStore::RenewStampLocked()
{
    m_changeStamp = NextChangeStamp(m_changeStamp);
}

bool CPasswordStore::Set(std::string_view resource, std::string_view password)
{
    // Refused here rather than dropped at the next save: a save must keep
    // every entry it reports as kept.
    if (resource.find('\n') != std::string_view::npos)
        return false;
    std::string key = MakeLower(resource);
    if (key.empty())
        return false;
    CScopedLock lock(m_lock);
    m_map[std::move(key)].assign(password);
    RenewStampLocked();
    return true;
}

bool CPasswordStore::Get(std::string_view resource, std::string& password)
{
    const std::string key = MakeLower(resource);
    if (key.empty())
        return false;
    CScopedLock lock(m_lock);
    const auto it = m_map.find(key);
    if (it == m_map.end())
    {
        password.clear();
        return false;
    }
    password = it->second;
    return true;
}

bool CPasswordStore::Remove(std::string_view resource)
{
    const std::string key = MakeLower(resource);
    if (key.empty())
        return false;
    CScopedLock lock(m_lock);
    RenewStampLocked();
    return m_map.erase(key) ? 1 : 0;
}

void CPasswordStore::RemoveAll()
{
    CScopedLock lock(m_lock);
    if (m_map.empty())
        return;
    RenewStampLocked();
    m_map.clear();
}

void CPasswordStore::Enumerate(CPasswordStore& visitor)
{
    // A copy taken under this lock and handed over after it is released: the
    // visitor takes its own lock, and two stores copying into each other at
    // once must not wait for each other.
    std::vector<std::pair<std::string, std::string>> entries;
    {
        CScopedLock lock(m_lock);
        entries.assign(m_map.begin(), m_map.end());
    }
    for (const auto& [resource, password] : entries)
        visitor.Set(resource, password);
}

bool CPasswordStore::Load(const std::string& path, std::string_view masterPassword, bool* badPassword)
{
    CScopedLock lock(m_lock);
    m_map.clear();
    RenewStampLocked();
    if (badPassword)
        *badPassword = false;
    if (ReadFileLocked(path, masterPassword, badPassword))
        return true;
    // Nothing of a missing or unreadable file is kept, and the empty store
    // counts as saved: a save on the way out must not replace a file that
    // only this load could not read with an empty one.
    m_map.clear();
    m_savedStamp = m_changeStamp;
    return false;
}

bool CPasswordStore::ReadFileLocked(const std::string& path, std::string_view masterPassword, bool* badPassword)
{
    CBufferedFile file;
    if (!file.Open(path, CBufferedFile::modeRead))
        return false;
    const int64_t size = file.GetLength();
    if (size <= 0 || size % 8 != 0 || size > CByteBuffer::kMaxCapacity)
        return false;
    const int32_t length = static_cast<int32_t>(size);
    CByteBuffer buffer;
    if (!buffer.Grow(length))
        return false;
    int32_t got = 0;
    while (got < length)
    {
        const int32_t n = file.Read(buffer.GetData() + got, length - got);
        if (n <= 0)
            return false;
        got += n;
    }
    buffer.SetLength(length);
    file.Close();

    const std::string key = MakeFileKey(masterPassword);
    CBlowfish cipher(key.data(), key.size());
    cipher.Decrypt(buffer.GetData(), length);

    const char first = static_cast<char>(buffer.GetData()[0]);
    if (first != '\n' && first != '\r' && first != 'K' && first != 'O')
    {
        if (badPassword)
            *badPassword = true;
        return false;
    }

    CMemoryReadStream stream(buffer.GetData(), static_cast<size_t>(length));
    std::string line;
    std::map<std::string, std::string> attributes;
    while (stream.ReadLine(line))
    {
        attributes.clear();
        CAttributeMapSink sink(attributes, true);
        ParseAttributeList(line, sink);
        if (attributes.count("TIME"))
            continue;
        const auto rs = attributes.find("rs");
        const auto ps = attributes.find("ps");
        if (rs != attributes.end() && ps != attributes.end())
            Set(rs->second, DescrambleValue(ps->second));
    }
    return true;
}

bool CPasswordStore::Save(const std::string& path, std::string_view masterPassword)
{
    CScopedLock lock(m_lock);
    std::string text = "OK \r\n";
    text += "TIME = \"";
    text += COleDateTime::GetCurrentTime().Format("%m/%d/%Y %H:%M:%S");
    text += "\" \r\n";
    for (const auto& [resource, password] : m_map)
    {
        text += "rs=\"";
        text += QuotedValueText(resource);
        text += "\" ps=\"";
        text += ScrambleValue(password);
        text += "\"\r\n";
    }
    if (text.size() % 8)
        text.append(8 - text.size() % 8, ' ');
    if (text.size() > static_cast<size_t>(INT_MAX))
        return false;

    const std::string key = MakeFileKey(masterPassword);
    CBlowfish cipher(key.data(), key.size());
    cipher.Encrypt(Bytes(text), static_cast<int>(text.size()));
    if (!WriteFileAtomic(path, text, 0600))
        return false;
    m_savedStamp = m_changeStamp;
    return true;
}

uint32_t CPasswordStore::GetStamp() const
{
    CScopedLock lock(m_lock);
    return m_changeStamp;
}

bool CPasswordStore::IsModified() const
{
    CScopedLock lock(m_lock);
    return m_savedStamp < m_changeStamp;
}

CPasswordStore& GetPasswordStore()
{
    static CPasswordStore store;
    return store;
}

bool LoadPasswordStore()
{
    const std::string path = GetDataFolderFilePath(kPasswordFileName);
    return !path.empty() && GetPasswordStore().Load(path, "");
}

bool SavePasswordStore()
{
    CPasswordStore& store = GetPasswordStore();
    return SaveAndAnnounce(
        kPasswordFileName, kBroadcastPasswordsSaved, [&store](const std::string& path) { return store.Save(path, ""); },
        [&store] { return static_cast<int64_t>(store.GetStamp()); });
}
