#pragma once
// CUrlRecordIndex: the engine's URL records by their exact key (the URL, and
// for a remote POST link "/" and the POST description as well). "http://h/a"
// and "http://h/a/" are two records, and so are "a/b" and "a\\b": nothing in
// a key is folded or split.
//
// A hash look-up: a crawl looks a record up for every link it finds, and the
// keys of one site share long prefixes that an ordered tree would compare
// over and over. The index holds one reference to each record. No lock: the
// engine uses it under its own.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

class CUrlRecord;

class CUrlRecordIndex
{
public:
    CUrlRecordIndex() = default;
    // Releases every record.
    ~CUrlRecordIndex();
    CUrlRecordIndex(const CUrlRecordIndex&) = delete;
    CUrlRecordIndex& operator=(const CUrlRecordIndex&) = delete;

    // The record of key, made when missing. Never null.
    CUrlRecord* FindOrAdd(std::string_view key);
    // The record of key, or null.
    CUrlRecord* Find(std::string_view key) const;
    size_t GetCount() const { return m_records.size(); }
    // Releases every record and forgets them.
    void Clear();

private:
    struct CKeyHash
    {
        using is_transparent = void;
        size_t operator()(std::string_view key) const noexcept { return std::hash<std::string_view>()(key); }
    };
    std::unordered_map<std::string, CUrlRecord*, CKeyHash, std::equal_to<>> m_records;
};
