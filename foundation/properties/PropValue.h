#pragma once
// CPropValue: the one tagged value of the program. A value is empty, a 32-bit
// or 64-bit integer, a double, a text, a byte block or a date, and owns its
// text or bytes: copying a value copies them.
//
// The converting getters take allowConversion: without it only a value of the
// asked kind (and a 64-bit integer read as a date) is returned. Every getter
// returns true on success and false, leaving its output untouched, when the
// value does not convert. Byte blocks never convert to or from anything.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/OleDateTime.h"

class CArchive;

class CPropValue
{
public:
    enum Kind
    {
        kindEmpty = 0,
        kindInt = 1,
        kindInt64 = 2,
        kindDouble = 3,
        kindString = 4,
        kindBlob = 5,
        kindDate = 6,
    };

    CPropValue() = default;
    CPropValue(const CPropValue& other);
    // Moves are inline: the property sets keep their entries in sorted
    // arrays, and every insert or removal in the middle moves the entries
    // after it one place.
    // The pointer of a text or block moves with the bits; the source forgets it.
    CPropValue(CPropValue&& other) noexcept : m_kind(other.m_kind), m_int64(other.m_int64)
    {
        other.m_kind = kindEmpty;
        other.m_int64 = 0;
    }
    CPropValue& operator=(const CPropValue& other);
    CPropValue& operator=(CPropValue&& other) noexcept
    {
        if (this != &other)
        {
            Free();
            m_kind = other.m_kind;
            m_int64 = other.m_int64;
            other.m_kind = kindEmpty;
            other.m_int64 = 0;
        }
        return *this;
    }
    ~CPropValue() { Free(); }

    int GetKind() const { return m_kind; }

    // Converting getters. Texts read as numbers take optional leading blanks,
    // an optional sign and the decimal digits up to the first other character
    // (a text without leading digits reads as 0); a number out of range is
    // clamped. A 32-bit integer read as a date is seconds since 1970 in local
    // time; a 64-bit integer or a double is a day count.
    bool GetInt(int& out, bool allowConversion) const;
    bool GetInt64(int64_t& out, bool allowConversion) const;
    bool GetDouble(double& out, bool allowConversion) const;
    bool GetString(std::string& out, bool allowConversion) const;
    bool GetDate(COleDateTime& out, bool allowConversion) const;
    // GetString with conversion; empty when the value does not convert.
    std::string GetAsString() const;

    // Byte blocks; all fail (return 0 or null) for every other kind.
    // Copies min(len, size) bytes to dst and sets len to the count copied.
    bool GetBlob(uint8_t* dst, int& len) const;
    bool GetBlobSize(int& size) const;
    // The block's bytes; len is left untouched when the value is no block.
    const uint8_t* GetBlobData(int& len) const;
    // len becomes 0 first, then the block's size; null for other kinds.
    const uint8_t* GetBlobPtr(int& len) const;

    // Setters replace content and kind. A null text stores the empty text; a
    // null pointer or a length of 0 or less stores the empty block.
    void SetInt(int value);
    void SetInt64(int64_t value);
    void SetDouble(double value);
    void SetString(const char* text);
    void SetBlob(const uint8_t* data, int len);
    void SetDate(const COleDateTime& date);

    // this + delta as a new value: integers and doubles add (32-bit sums wrap,
    // a mix widens), a number and a text join as texts ("%I64d" of the number,
    // a double truncated), two texts concatenate, and anything involving an
    // empty value, a byte block or a date gives the integer 0.
    CPropValue Add(const CPropValue& delta) const;

    // Storing writes the kind byte and its payload (a date writes no payload).
    // Loading: a kind byte of 7 or more reads as a 32-bit integer; kinds 0
    // and 6 read nothing and leave the value as it was. Returns false when a
    // read failed or a block's size is negative or larger than the bytes left;
    // the value is then unchanged.
    bool Serialize(CArchive& ar);

    // The compact form a property set packs its values into while nobody
    // changes them (a finished job's): the kind byte, then a zigzag varint
    // for the integers, the 8 bytes of a double, a varint length and the
    // bytes of a text or a block. False, with nothing appended, for a date.
    bool AppendPacked(std::vector<uint8_t>& out) const;
    // Reads one packed value from [p, end) into value, or steps over it
    // when value is null (a text is then not copied), moving p past it.
    // False for bytes that hold no whole value.
    static bool ReadPacked(const uint8_t*& p, const uint8_t* end, CPropValue* value);

private:
    // A text is one block: its 32-bit length, its bytes and a closing zero;
    // null for the empty text. One allocation of just the text's size, where
    // a std::string would add a second one for any text past 15 bytes.
    static char* NewText(std::string_view text);
    std::string_view Text() const;
    void Free()
    {
        if (m_kind == kindString || m_kind == kindBlob)
            FreeOwned();
        m_kind = kindEmpty;
        m_int64 = 0;
    }
    // Frees the text or block of a kindString or kindBlob value.
    void FreeOwned();
    void SetText(std::string_view text);
    void CopyContent(const CPropValue& other);

    int m_kind = kindEmpty;
    union
    {
        int64_t m_int64 = 0;
        int32_t m_int;
        double m_double; // kinds 3 and 6
        char* m_text; // see NewText
        std::vector<uint8_t>* m_blob;
    };
};

// Factories for the defaults of key tables.
namespace PropertyValue
{
// A 32-bit integer value.
CPropValue InitInt(int value);
// A text value holding a copy of text; null gives the empty text.
CPropValue InitString(const char* text);
} // namespace PropertyValue
