#pragma once
// IKeyValueStore: a store of named values that a key table (PropertyKeyTable.h)
// saves a property set to and loads it from. The registry wrapper
// (CRegistryKey) and the markup tree node (CXmlNode) implement it, so one key
// table writes the settings to the registry or to an XML file alike.
//
// Names may be '/'-grouped ("Connections/Max Connects"); each store decides
// what a group becomes (a registry subkey, a nested element). An empty name
// addresses the store's unnamed value where the store has one.
//
// Every operation returns true on success. A getter that fails leaves its
// output unchanged, so a caller can preset the output with a default (a store
// that documents otherwise, such as a byte getter that reports 0 bytes, says
// so). Getters are not const: a store may create structure while it reads
// (the markup tree creates the elements of a path it walks).

#include <cstdint>
#include <string>
#include <string_view>

class IKeyValueStore
{
public:
    virtual ~IKeyValueStore() = default;

    virtual bool GetString(std::string_view name, std::string& out) = 0;
    virtual bool SetString(std::string_view name, std::string_view text) = 0;
    virtual bool GetInt(std::string_view name, int& out) = 0;
    virtual bool SetInt(std::string_view name, int value) = 0;
    virtual bool GetInt64(std::string_view name, int64_t& out) = 0;
    virtual bool SetInt64(std::string_view name, int64_t value) = 0;
    // A byte block of length bytes (none when length is 0 or less).
    virtual bool SetBytes(std::string_view name, const uint8_t* bytes, int length) = 0;
    // length in: the room at buffer; out: the bytes copied (at most the room).
    virtual bool GetBytes(std::string_view name, uint8_t* buffer, int& length) = 0;
    virtual bool GetBytesSize(std::string_view name, unsigned& size) = 0;
    // Removes the named group (subkey) with everything below it.
    virtual bool DeleteKey(std::string_view name) = 0;
};
