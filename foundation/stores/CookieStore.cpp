// The cookie store's tree operations: adding, looking up, removing,
// enumerating, the stamps and the process-wide instance.

#include "foundation/stores/CookieStore.h"

#include "foundation/desktop/AppIdentity.h"
#include "foundation/files/PathUtils.h"
#include "foundation/desktop/ShellHooks.h"
#include "platform/core/Text.h"
#include "platform/core/TickCount.h"

#include <vector>

namespace
{
// Bytes that would end a request header line or a line of the file, or cut
// a C string short.
bool HoldsLineBreak(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Calls visit for node and every node below it, a node before its children.
// The walk keeps its own stack, so a deep path costs no call depth.
template <typename Visit> void WalkSubtree(CCookieNode* node, Visit visit)
{
    std::vector<CCookieNode*> stack{node};
    while (!stack.empty())
    {
        CCookieNode* current = stack.back();
        stack.pop_back();
        if (!visit(*current))
            return;
        if (const CRefStringMap::ChildMap* children = current->GetChildren())
        {
            for (auto child = children->rbegin(); child != children->rend(); ++child)
                stack.push_back(static_cast<CCookieNode*>(child->second));
        }
    }
}

// The first two components of a key: the node of a domain's last two labels.
std::string TopTwoComponents(const std::string& key)
{
    const size_t first = key.find('/');
    const size_t second = first == std::string::npos ? first : key.find('/', first + 1);
    return key.substr(0, second);
}
} // namespace

CCookieStore::CCookieStore() = default;

CCookieStore::~CCookieStore()
{
    if (m_root)
        m_root->Release();
}

bool CCookieStore::AddCookie(std::string_view domain, std::string_view path, bool secure,
                             std::string_view cookie, std::string_view expires, const COleDateTime& added)
{
    const std::string text = Trim(cookie);
    if (text.empty() || text.size() > kMaxCookieLength)
        return false;
    if (HoldsLineBreak(text) || HoldsLineBreak(domain) || HoldsLineBreak(path))
        return false;
    const std::string key = MakeCookieKey(domain, path);
    if (key.empty())
        return false;
    COleDateTime expiry;
    expiry.m_status = COleDateTime::invalid;
    if (!expires.empty() && !ParseCookieExpires(expires, expiry))
        return false;

    CScopedLock lock(m_lock);
    if (!m_root)
        m_root = new CCookieNode();
    auto* node = static_cast<CCookieNode*>(m_root->FindOrCreate(key));
    node->m_secure = secure;
    node->m_path.assign(path);
    node->m_domain.assign(domain);
    node->m_expiry = expiry;
    node->m_cookie = text;
    node->m_added = added;
    RenewStamp();
    return true;
}

bool CCookieStore::GetCookieHeader(std::string_view host, std::string_view path, bool secure,
                                   std::string& out)
{
    const std::string key = MakeCookieKey(host, "/");
    if (key.empty())
        return false;

    CScopedLock lock(m_lock);
    CCookieNode* top = FindNode(TopTwoComponents(key));
    if (!top)
        return false;
    const COleDateTime now = GetNowUtc();
    bool appended = false;
    WalkSubtree(top,
                [&](CCookieNode& node)
                {
                    if (!node.HasCookie() || host.empty() || path.empty() || (node.m_secure && !secure))
                        return true;
                    if (node.m_expiry.IsValid() && !(now < node.m_expiry))
                    {
                        node.DropCookie();
                        return true;
                    }
                    if (CookieDomainMatches(host, node.m_domain) && StartsWithNoCase(path, node.m_path))
                    {
                        if (!out.empty())
                            out += "; ";
                        out += node.m_cookie;
                        appended = true;
                    }
                    return true;
                });
    return appended;
}

bool CCookieStore::Remove(std::string_view domain, std::string_view path)
{
    const std::string key = MakeCookieKey(domain, "/");
    CScopedLock lock(m_lock);
    CCookieNode* top = key.empty() ? nullptr : FindNode(key);
    if (!top)
        return false;
    bool dropped = false;
    WalkSubtree(top,
                [&](CCookieNode& node)
                {
                    if (node.HasCookie() && EqualsNoCase(node.m_domain, domain) &&
                        EqualsNoCase(node.m_path, path))
                    {
                        node.DropCookie();
                        dropped = true;
                        return false;
                    }
                    return true;
                });
    if (dropped)
        RenewStamp();
    return dropped;
}

void CCookieStore::Clear()
{
    CScopedLock lock(m_lock);
    if (m_root)
        m_root->Release();
    m_root = nullptr;
    RenewStamp();
}

void CCookieStore::Enumerate(CCookieStore& visitor)
{
    CScopedLock lock(m_lock);
    if (!m_root)
        return;
    // Held so that a visitor which clears this store cannot free the nodes
    // under the walk.
    CCookieNode* root = m_root;
    root->AddRef();
    const COleDateTime now = GetNowUtc();
    WalkSubtree(root,
                [&](CCookieNode& node)
                {
                    if (!node.HasCookie())
                        return true;
                    std::string expires;
                    if (node.m_expiry.IsValid())
                    {
                        if (!(now < node.m_expiry))
                        {
                            node.DropCookie();
                            return true;
                        }
                        expires = node.m_expiry.Format("%m/%d/%Y %H:%M:%S") + " GMT";
                    }
                    // Copies: the visitor may be this store and replace them.
                    const std::string domain = node.m_domain;
                    const std::string path = node.m_path;
                    const std::string cookie = node.m_cookie;
                    visitor.AddCookie(domain, path, node.m_secure, cookie, expires, node.m_added);
                    return true;
                });
    root->Release();
}

uint32_t CCookieStore::GetStamp()
{
    CScopedLock lock(m_lock);
    return m_changeStamp;
}

bool CCookieStore::IsModified()
{
    CScopedLock lock(m_lock);
    return m_savedStamp < m_changeStamp;
}

time_t CCookieStore::GetClockTime() const
{
    return std::time(nullptr);
}

void CCookieStore::RenewStamp()
{
    m_changeStamp = NextChangeStamp(m_changeStamp);
}

COleDateTime CCookieStore::GetNowUtc() const
{
    return COleDateTime::FromTimeT(GetClockTime(), false);
}

CCookieNode* CCookieStore::FindNode(const std::string& key) const
{
    return m_root ? static_cast<CCookieNode*>(m_root->Find(key)) : nullptr;
}

CCookieStore& GetCookieStore()
{
    static CCookieStore store;
    return store;
}

std::string GetCookieFilePath()
{
    const std::string folder = GetAppIdentity().GetDataFolderPath();
    // Without a data folder the file would land in the current folder.
    return folder.empty() ? std::string() : CombinePath(folder, kCookieFileName);
}

bool LoadCookieStore()
{
    const std::string path = GetCookieFilePath();
    return !path.empty() && GetCookieStore().Load(path);
}

bool SaveCookieStore()
{
    const std::string path = GetCookieFilePath();
    CCookieStore& store = GetCookieStore();
    if (path.empty() || !store.Save(path))
        return false;
    PostInstanceBroadcast(kBroadcastCookiesSaved, static_cast<int64_t>(store.GetStamp()));
    return true;
}
