#pragma once
// IPropertySet and CPropertySet: a bag of CPropValue values keyed by small
// property ids. The settings object is a plain thread-safe set; link items,
// tasks and transfer jobs derive from CPropertySet.
//
// Ids are 16-bit signed: every id argument is cut to its low 16 bits, so
// 65536 + 7 addresses 7, and entries are ordered by the signed id (40000 is
// -25536 and sorts before 0).
//
// Drop-defaults mode (on after construction; CLinkItem turns it off so that
// zero values stay stored):
// - on: setting 0, a null or empty text or an empty block removes the entry;
//   a missing id reads as found with 0 or the empty text; stored values
//   convert between kinds (the text "12" reads as the integer 12).
// - off: every value is stored; a missing id reads as not found; only the
//   stored kind is returned.
// Getters that return bool tell whether the id was found; their output is
// set to 0 or empty before the lookup.
//
// Every change moves the change stamp forward (NextChangeStamp), so it
// strictly increases, also within one millisecond. Removing a missing id
// through a setter moves it only when the set holds any entries. The clock
// is read when the stamp is asked for, not at each change: a transfer job
// changes its set a few hundred times and nobody asks in between. A read
// after changes therefore gives a stamp above every earlier read, and the
// read brings the stored stamp up to date: on a set without a lock it is
// a change as far as other threads are concerned.
//
// With a lock (threadSafe or SetThreadSafe(true)) every operation holds it
// for its whole duration. The lock is recursive, so a derived class may call
// back into the set while holding it. Pointers returned by GetBlobData and
// GetBlobPtr stay valid only until the entry is next changed.

#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>
#include <memory>
#include <optional>
#include <string>

#include "foundation/properties/PropValue.h"
#include "platform/core/CriticalSection.h"

class CArchive;

class IPropertySet
{
public:
    virtual ~IPropertySet() = default;

    // Stores ("MDSA", count, (16-bit id, value)...; "MDSE" when the set has
    // no entries) or loads by ar.IsStoring(). Returns false when loading
    // failed.
    virtual bool Serialize(CArchive& ar) = 0;
    virtual bool Has(int id) const = 0;
    virtual bool GetString(int id, std::string& out) const = 0;
    virtual bool GetInt64(int id, int64_t& out) const = 0;
    virtual bool GetInt(int id, int& out) const = 0;
    // Bit 0-31 of the value read through GetInt; false for another bit index.
    virtual bool TestBit(int id, int bit) const = 0;
    // Both: the block's bytes and size; null and len 0 when missing or no block.
    virtual const uint8_t* GetBlobData(int id, int& len) const = 0;
    virtual const uint8_t* GetBlobPtr(int id, int& len) const = 0;
    // len in: room at dst; out: bytes copied (0 when the id is missing, left
    // as it was when the entry is no block).
    virtual bool GetBlob(int id, uint8_t* dst, int& len) const = 0;
    virtual bool GetBlobSize(int id, int& size) const = 0;
    // A null text is the empty text.
    virtual void SetString(int id, const char* text) = 0;
    virtual void SetInt64(int id, int64_t value) = 0;
    virtual void SetInt(int id, int value) = 0;
    // Sets or clears bit 0-31 through GetInt and SetInt; another bit index
    // changes nothing.
    virtual void SetFlag(int id, int bit, bool on) = 0;
    virtual void SetBlob(int id, const uint8_t* data, int len) = 0;
    // The stored value becomes CPropValue::Add of it and the delta, stored
    // even when 0; a missing id counts as the integer 0.
    virtual void AddInt64(int id, int64_t delta) = 0;
    virtual void AddInt(int id, int delta) = 0;
    virtual void Clear() = 0;
    // True when an entry was removed.
    virtual bool Remove(int id) = 0;
    // The entry's kind, 0 when missing.
    virtual int GetKind(int id) const = 0;
    // Hands every integer, 64-bit integer, text and block entry to the
    // target's setters in ascending id order; doubles and dates are skipped.
    virtual void Visit(IPropertySet& target) const = 0;
};

// A number read through GetInt or GetInt64, or `missing` when the set has
// no such entry.
int GetIntOr(const IPropertySet& set, int id, int missing = 0);
int64_t GetInt64Or(const IPropertySet& set, int id, int64_t missing);
// The text read through GetString; empty when the set has no such entry.
std::string GetStringOf(const IPropertySet& set, int id);

class CPropertySet : public IPropertySet
{
public:
    explicit CPropertySet(bool threadSafe = false);
    ~CPropertySet() override;
    CPropertySet(const CPropertySet&) = delete;
    CPropertySet& operator=(const CPropertySet&) = delete;

    bool Serialize(CArchive& ar) override;
    bool Has(int id) const override;
    bool GetString(int id, std::string& out) const override;
    bool GetInt64(int id, int64_t& out) const override;
    bool GetInt(int id, int& out) const override;
    bool TestBit(int id, int bit) const override;
    const uint8_t* GetBlobData(int id, int& len) const override;
    const uint8_t* GetBlobPtr(int id, int& len) const override;
    bool GetBlob(int id, uint8_t* dst, int& len) const override;
    bool GetBlobSize(int id, int& size) const override;
    void SetString(int id, const char* text) override;
    void SetInt64(int id, int64_t value) override;
    void SetInt(int id, int value) override;
    void SetFlag(int id, int bit, bool on) override;
    void SetBlob(int id, const uint8_t* data, int len) override;
    void AddInt64(int id, int64_t delta) override;
    void AddInt(int id, int delta) override;
    void Clear() override;
    bool Remove(int id) override;
    int GetKind(int id) const override;
    void Visit(IPropertySet& target) const override;

    // Creates the lock (true) or deletes it (false). Not synchronised: call
    // it while no other thread uses the set.
    void SetThreadSafe(bool threadSafe);
    bool IsThreadSafe() const { return m_lock != nullptr; }

    // With replace (the usual form) this set becomes an independent copy of
    // src, drop-defaults mode included; without it src's entries overwrite
    // those of the same id and the others stay. A filter, when given, is asked
    // for each id of src and a false answer skips that id. Takes this set's
    // lock, then src's; copying a set onto itself does nothing.
    void CopyFrom(const CPropertySet& src, bool replace = true, const std::function<bool(int id)>& filter = {});

    // The text of GetString; empty when missing.
    std::string GetStringValue(int id) const;

    // For a set that is kept long after its last change (a finished
    // transfer job, kept by the hundred thousand): its entries are packed
    // into one block of bytes, less than half the size of the entry array
    // with its texts.
    // Reads decode only the entry they need from the block (stepping over
    // the others) and leave it packed;
    // the first change (and a block pointer handed out) unpacks it again.
    // Nothing a caller reads changes. A set holding a date is not packed.
    void Compact();

    uint32_t GetChangeStamp() const;
    bool IsDropDefaults() const { return m_dropDefaults; }

protected:
    // Moves the change stamp forward (at the next GetChangeStamp); call with
    // the lock held.
    void BumpStamp() { m_stampBehind = true; }
    CCriticalSection* GetLock() const { return m_lock.get(); }

private:
    // Sorted by id without repeats. A flat array rather than a tree: a set
    // holds a few dozen entries, so a search through contiguous memory is
    // quicker than chasing nodes, and an entry costs its 24 bytes instead of
    // a node of its own (link items are kept by the hundred thousand).
    using Entry = std::pair<int16_t, CPropValue>;
    using EntryMap = std::vector<Entry>;

    static int16_t CutId(int id) { return static_cast<int16_t>(static_cast<uint16_t>(id)); }
    // The entry of id, or null; from a packed set it is decoded into
    // `decoded` and the pointer points there.
    const CPropValue* Find(int id, CPropValue& decoded) const;
    // Back from the packed form (Compact) to the entry array; the lock is held.
    void Unpack();
    // Each packed entry in id order until visit returns false.
    void ForEachPacked(const std::function<bool(int16_t id, CPropValue& value)>& visit) const;
    // Each entry in id order, packed or not.
    void ForEachEntry(const std::function<void(int16_t id, const CPropValue& value)>& visit) const;
    // True when an entry was removed; the map goes when its last entry does.
    bool EraseEntry(int id);
    // The entry of id, created as the integer 0 when missing.
    CPropValue& FindOrCreate(int id);
    // Drop-defaults removal through a setter.
    void RemoveForDefault(int id);
    void ClearEntries();
    bool LoadEntries(CArchive& ar);

    // Present while the set has entries, and after loading an empty "MDSA"
    // record, which is stored again as "MDSA".
    std::optional<EntryMap> m_entries;
    // While packed (Compact): for each entry the varint step from the id
    // before and CPropValue::AppendPacked's form; m_entries is then absent.
    std::vector<uint8_t> m_packed;
    std::unique_ptr<CCriticalSection> m_lock;
    // Brought up to date by GetChangeStamp when m_stampBehind says a change
    // came after the last read.
    mutable uint32_t m_changeStamp = 0;
    mutable bool m_stampBehind = false;

protected:
    // Beside the stamp, so that the three share one word of every set.
    bool m_dropDefaults = true;
};
