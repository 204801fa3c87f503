#pragma once
// Key tables: a property set knows its values only by id; a key table gives
// each id a name, a kind and a default, so that one set can be saved to and
// loaded from any named store (IKeyValueStore: the registry, a markup tree)
// and written to and read from an attribute text (name="value" pairs, as the
// project file keeps a task). One table holds the application settings,
// another the task keys.
//
// The kind of a key is the kind of its default value: 1 integer, 2 64-bit
// integer, 4 text. Kinds 3 (double) and 6 (date) travel through the store's
// 64-bit operations as their 8 raw bytes; other kinds are ignored by every
// operation.

#include "foundation/properties/KeyValueStore.h"
#include "foundation/properties/PropValue.h"
#include "foundation/properties/PropertySet.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CPropertyKey
{
public:
    // An empty name, id 0, the integer default 0, keepEmpty off.
    CPropertyKey();
    CPropertyKey(std::string_view name, int id, const CPropValue& defaultValue, bool keepEmpty);

    // Writes the set's value of this key to the store under the key's name.
    // True when the kind is one that is written; the store setter's own result
    // is not looked at (a registry key reports a failed save when it closes).
    bool SaveTo(IKeyValueStore& store, IPropertySet& set) const;

    // Reads the key's value from the store into the set. True when the value
    // came from the store; false when the default was stored instead (the
    // store has no such value, it is of another kind, or it is a text that is
    // blank while keepEmpty is off). Texts are trimmed of blanks at both ends
    // unless keepEmpty is on. A date of 0 counts as missing.
    bool LoadFrom(IKeyValueStore& store, IPropertySet& set) const;

    // Stores the default into the set through its virtual setters, so a
    // derived set can route ids.
    void ApplyDefault(IPropertySet& set) const;

    // Appends name="value" to out (after one blank when out is not empty) when
    // the set has the id and its value differs from the default: integers as
    // "%d" / "%I64d", texts compared byte by byte and written with XML
    // entities. True when something was appended. Names are written as they
    // stand, so a name meant for attribute text holds no white space, '=' or
    // quote.
    bool FormatAsAttribute(IPropertySet& set, std::string& out) const;

    int GetKind() const { return m_defaultValue.GetKind(); }

    std::string m_name; // '/'-grouped: "Connections/Max Connects"
    uint16_t m_id = 0;  // the property id as the set cuts it
    CPropValue m_defaultValue;
    bool m_keepEmpty = false; // texts only: use a stored text as it is
};

class CPropertyKeyTable
{
public:
    // Builds a key and adds it with AddOrReplace.
    void Add(std::string_view name, int id, const CPropValue& defaultValue, bool keepEmpty);
    // Removes the first entry with the key's id, if any, and appends the key
    // at the end: registering an id twice keeps the later key, last in order.
    void AddOrReplace(const CPropertyKey& key);

    int GetCount() const { return static_cast<int>(m_entries.size()); }
    // A copy of entry index; a default key for an index out of range.
    CPropertyKey GetEntry(int index) const;

    // The whole table in table order: SaveTo of every key; LoadFrom of every
    // key (returns how many values came from the store); ApplyDefault of
    // every key.
    void SaveTo(IKeyValueStore& store, IPropertySet& set) const;
    int LoadFrom(IKeyValueStore& store, IPropertySet& set) const;
    void ApplyDefaults(IPropertySet& set) const;

    // Appends the attribute text of every value that differs from its default,
    // in table order, separated by one blank.
    void FormatAttributes(IPropertySet& set, std::string& out) const;

    // Sets the value of the first key called name (byte comparison, or ASCII
    // case ignored) from text: integers through StrToIntSafe and
    // StrToInt64Safe, doubles through StrToDoubleSafe, texts as they are.
    // Unknown names and other kinds change nothing.
    void SetByName(IPropertySet& set, std::string_view name, std::string_view text, bool caseSensitive) const;

    // Reads an attribute text (ParseAttributeList rules), decodes each value's
    // entities and applies it with SetByName; pairs with unknown names are
    // skipped. The inverse of FormatAttributes.
    void ApplyAttributeList(std::string_view text, IPropertySet& set, bool caseSensitive) const;

private:
    std::vector<CPropertyKey> m_entries;
};
