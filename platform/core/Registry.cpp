#include "platform/core/Registry.h"

#include "platform/core/RegistryFileBackend.h"

#include <algorithm>
#include <iterator>

CRegistryHandle::CRegistryHandle(const CRegistryHandle& other)
    : m_store(other.m_store), m_path(other.m_path), m_writable(other.m_writable), m_counted(other.m_counted)
{
    if (m_counted)
        m_store->Retain();
}

CRegistryHandle& CRegistryHandle::operator=(const CRegistryHandle& other)
{
    if (this != &other)
    {
        // Retain first: closing this one must not save while the copy stays open.
        if (other.m_counted)
            other.m_store->Retain();
        Close();
        m_store = other.m_store;
        m_path = other.m_path;
        m_writable = other.m_writable;
        m_counted = other.m_counted;
    }
    return *this;
}

CRegistryHandle::CRegistryHandle(CRegistryHandle&& other) noexcept
    : m_store(other.m_store), m_path(std::move(other.m_path)), m_writable(other.m_writable),
      m_counted(other.m_counted)
{
    other.m_store = nullptr;
    other.m_writable = false;
    other.m_counted = false;
}

CRegistryHandle& CRegistryHandle::operator=(CRegistryHandle&& other) noexcept
{
    if (this != &other)
    {
        Close();
        m_store = other.m_store;
        m_path = std::move(other.m_path);
        m_writable = other.m_writable;
        m_counted = other.m_counted;
        other.m_store = nullptr;
        other.m_writable = false;
        other.m_counted = false;
    }
    return *this;
}

RegResult CRegistryHandle::Close()
{
    CRegistry* store = m_store;
    const bool counted = m_counted;
    m_store = nullptr;
    m_path.clear();
    m_writable = false;
    m_counted = false;
    return counted ? store->Release() : RegResult::Ok;
}

CRegistry::CRegistry(std::unique_ptr<IRegistryBackend> backend) : m_backend(std::move(backend)) {}

CRegistry::~CRegistry()
{
    CScopedLock lock(m_lock);
    FlushLocked();
}

void CRegistry::Apply(CRegistryNode& root, const Change& change)
{
    switch (change.m_kind)
    {
    case Change::CreateKey:
        root.FindOrCreate(change.m_path);
        break;
    case Change::SetValue:
        // Replayed on a tree another copy saved, the write wins even over a
        // deletion of its key there.
        root.FindOrCreate(change.m_path).m_values.insert_or_assign(change.m_name, change.m_value);
        break;
    case Change::DeleteValue:
        if (CRegistryNode* node = root.Find(change.m_path))
            node->m_values.erase(change.m_name);
        break;
    case Change::DeleteKey:
        root.Remove(change.m_path, change.m_withSubkeys);
        break;
    }
}

void CRegistry::Refresh()
{
    if (!m_backend)
        m_backend = std::make_unique<CRegistryFileBackend>(GetDefaultRegistryFilePath());
    if (!m_backend->HasChanged())
        return;
    CRegistryNode fresh;
    if (!m_backend->Load(fresh))
    {
        // Keep what we have, and refuse to save over a file we could not read.
        m_loadFailed = true;
        return;
    }
    m_loadFailed = false;
    for (const Change& change : m_pending)
        Apply(fresh, change);
    m_root = std::move(fresh);
}

RegResult CRegistry::FlushLocked()
{
    if (m_pending.empty())
        return RegResult::Ok;
    if (!m_backend)
        m_backend = std::make_unique<CRegistryFileBackend>(GetDefaultRegistryFilePath());
    m_backend->BeginUpdate();
    Refresh(); // another copy may have saved since we last looked
    const bool saved = !m_loadFailed && m_backend->Save(m_root);
    m_backend->EndUpdate();
    if (!saved)
        return RegResult::SaveFailed;
    m_pending.clear();
    return RegResult::Ok;
}

RegResult CRegistry::Record(Change change)
{
    Apply(m_root, change);
    m_pending.push_back(std::move(change));
    return m_openWritable == 0 ? FlushLocked() : RegResult::Ok;
}

CRegistryNode* CRegistry::Resolve(const CRegistryHandle& key, RegResult& result)
{
    if (key.m_store != this)
    {
        result = RegResult::InvalidArgument;
        return nullptr;
    }
    Refresh();
    CRegistryNode* node = m_root.Find(key.m_path);
    result = node ? RegResult::Ok : RegResult::NotFound;
    return node;
}

CRegistryHandle CRegistry::MakeHandle(RegistryPath path, bool writable)
{
    CRegistryHandle handle;
    handle.m_store = this;
    handle.m_writable = writable;
    handle.m_counted = writable && !path.empty();
    handle.m_path = std::move(path);
    if (handle.m_counted)
        Retain();
    return handle;
}

void CRegistry::Retain()
{
    CScopedLock lock(m_lock);
    ++m_openWritable;
}

RegResult CRegistry::Release()
{
    CScopedLock lock(m_lock);
    if (m_openWritable > 0)
        --m_openWritable;
    return m_openWritable == 0 ? FlushLocked() : RegResult::Ok;
}

CRegistryHandle CRegistry::GetRootKey()
{
    CScopedLock lock(m_lock);
    return MakeHandle(RegistryPath(), true);
}

RegResult CRegistry::OpenKey(const CRegistryHandle& parent, std::string_view subKey, bool writable,
                             CRegistryHandle& key)
{
    CScopedLock lock(m_lock);
    RegResult result;
    if (!Resolve(parent, result))
        return result;
    RegistryPath path = parent.m_path;
    for (std::string& name : SplitRegistryPath(subKey))
        path.push_back(std::move(name));
    if (!m_root.Find(path))
        return RegResult::NotFound;
    key = MakeHandle(std::move(path), writable);
    return RegResult::Ok;
}

RegResult CRegistry::CreateKey(const CRegistryHandle& parent, std::string_view subKey, CRegistryHandle& key,
                               bool* created)
{
    CScopedLock lock(m_lock);
    RegResult result;
    if (!Resolve(parent, result))
        return result;
    RegistryPath path = parent.m_path;
    for (std::string& name : SplitRegistryPath(subKey))
        path.push_back(std::move(name));
    if (path.size() > kMaxRegistryDepth)
        return RegResult::InvalidArgument;
    const bool exists = m_root.Find(path) != nullptr;
    // The handle comes first, so that the new key is saved when it closes,
    // together with what is written through it.
    CRegistryHandle handle = MakeHandle(path, true);
    if (!exists)
    {
        result = Record(Change{Change::CreateKey, std::move(path), {}, {}, false});
        if (result != RegResult::Ok)
            return result;
    }
    key = std::move(handle);
    if (created)
        *created = !exists;
    return RegResult::Ok;
}

RegResult CRegistry::QueryValue(const CRegistryHandle& key, std::string_view name, RegistryValue& value)
{
    CScopedLock lock(m_lock);
    RegResult result;
    const CRegistryNode* node = Resolve(key, result);
    if (!node)
        return result;
    const auto it = node->m_values.find(name);
    if (it == node->m_values.end())
        return RegResult::NotFound;
    value = it->second;
    return RegResult::Ok;
}

RegResult CRegistry::SetValue(const CRegistryHandle& key, std::string_view name, const RegistryValue& value)
{
    CScopedLock lock(m_lock);
    if (value.m_type == RegistryType::Dword && value.m_data.size() != 4)
        return RegResult::InvalidArgument;
    RegResult result;
    if (!Resolve(key, result))
        return result;
    if (!key.m_writable)
        return RegResult::AccessDenied;
    return Record(Change{Change::SetValue, key.m_path, std::string(name), value, false});
}

RegResult CRegistry::DeleteValue(const CRegistryHandle& key, std::string_view name)
{
    CScopedLock lock(m_lock);
    RegResult result;
    const CRegistryNode* node = Resolve(key, result);
    if (!node)
        return result;
    if (!key.m_writable)
        return RegResult::AccessDenied;
    if (node->m_values.find(name) == node->m_values.end())
        return RegResult::NotFound;
    return Record(Change{Change::DeleteValue, key.m_path, std::string(name), {}, false});
}

RegResult CRegistry::EnumKey(const CRegistryHandle& key, size_t index, std::string& name)
{
    CScopedLock lock(m_lock);
    RegResult result;
    const CRegistryNode* node = Resolve(key, result);
    if (!node)
        return result;
    if (index >= node->m_subkeys.size())
        return RegResult::NoMoreItems;
    name = std::next(node->m_subkeys.begin(), static_cast<std::ptrdiff_t>(index))->first;
    return RegResult::Ok;
}

RegResult CRegistry::EnumValue(const CRegistryHandle& key, size_t index, std::string& name, RegistryValue& value)
{
    CScopedLock lock(m_lock);
    RegResult result;
    const CRegistryNode* node = Resolve(key, result);
    if (!node)
        return result;
    if (index >= node->m_values.size())
        return RegResult::NoMoreItems;
    const auto it = std::next(node->m_values.begin(), static_cast<std::ptrdiff_t>(index));
    name = it->first;
    value = it->second;
    return RegResult::Ok;
}

RegResult CRegistry::QueryInfo(const CRegistryHandle& key, RegistryKeyInfo& info)
{
    CScopedLock lock(m_lock);
    RegResult result;
    const CRegistryNode* node = Resolve(key, result);
    if (!node)
        return result;
    RegistryKeyInfo out;
    out.m_subkeyCount = node->m_subkeys.size();
    for (const auto& entry : node->m_subkeys)
        out.m_maxSubkeyNameLength = std::max(out.m_maxSubkeyNameLength, entry.first.size());
    out.m_valueCount = node->m_values.size();
    for (const auto& [valueName, value] : node->m_values)
    {
        out.m_maxValueNameLength = std::max(out.m_maxValueNameLength, valueName.size());
        out.m_maxValueDataLength = std::max(out.m_maxValueDataLength, value.m_data.size());
    }
    info = out;
    return RegResult::Ok;
}

RegResult CRegistry::DeleteKey(const CRegistryHandle& parent, std::string_view subKey, bool withSubkeys)
{
    CScopedLock lock(m_lock);
    RegResult result;
    if (!Resolve(parent, result))
        return result;
    const RegistryPath names = SplitRegistryPath(subKey);
    if (names.empty())
        return RegResult::InvalidArgument;
    RegistryPath path = parent.m_path;
    path.insert(path.end(), names.begin(), names.end());
    const CRegistryNode* node = m_root.Find(path);
    if (!node)
        return RegResult::NotFound;
    if (!withSubkeys && !node->m_subkeys.empty())
        return RegResult::HasSubkeys;
    return Record(Change{Change::DeleteKey, std::move(path), {}, {}, withSubkeys});
}

RegResult CRegistry::Flush()
{
    CScopedLock lock(m_lock);
    return FlushLocked();
}

void CRegistry::SetBackend(std::unique_ptr<IRegistryBackend> backend)
{
    CScopedLock lock(m_lock);
    if (m_backend)
        FlushLocked();
    m_backend = std::move(backend);
    if (!m_backend)
        m_backend = std::make_unique<CRegistryFileBackend>(GetDefaultRegistryFilePath());
    m_root = CRegistryNode();
    m_pending.clear();
    m_loadFailed = false;
}

CRegistry& GetRegistry()
{
    static CRegistry registry;
    return registry;
}
