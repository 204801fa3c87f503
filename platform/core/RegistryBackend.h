#pragma once
// Where the registry store keeps its tree. The store holds the tree in
// memory and asks its backend to load it when the stored copy may have been
// changed by another running copy of the program, and to save it after
// changes (see CRegistry for when).

#include "platform/core/RegistryNode.h"

class IRegistryBackend
{
public:
    virtual ~IRegistryBackend() = default;

    // True when the stored tree may differ from the one last loaded or saved
    // through this backend; always true before the first Load.
    virtual bool HasChanged() = 0;

    // Reads the stored tree into root, which is empty on entry; nothing
    // stored yet is an empty tree. False when the stored tree exists but
    // cannot be read.
    virtual bool Load(CRegistryNode& root) = 0;

    virtual bool Save(const CRegistryNode& root) = 0;

    // Keeps other running copies from saving between the two calls, so that
    // a load, the changes made on top of it and the save form one step. Best
    // effort: where no lock can be had, the step goes ahead unguarded.
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
};
