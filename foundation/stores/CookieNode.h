#pragma once
// CCookieNode: one node of the cookie store's tree (see CCookieStore). The
// tree is keyed by the labels of a cookie's domain in reverse order and then
// by the components of its path; a node holds a cookie exactly when its
// domain is not empty. Dropping a cookie empties the domain and leaves the
// node in the tree. The fields have no lock of their own; they are read and
// changed only under the store's lock.

#include "foundation/stores/RefStringMap.h"
#include "platform/core/OleDateTime.h"

#include <string>

class CCookieNode : public CRefStringMap
{
public:
    CCookieNode();

    CRefStringMap* CreateNode() const override;

    bool HasCookie() const { return !m_domain.empty(); }
    // Empties the node: no domain, not secure.
    void DropCookie();

    // Valid: the cookie expires at this UTC time. Invalid: a session cookie.
    COleDateTime m_expiry;
    // When the cookie was received (local time; invalid when not known).
    COleDateTime m_added;
    bool m_secure = false;
    std::string m_path;
    // As set (a leading '.' is kept); empty when the node holds no cookie.
    std::string m_domain;
    // The whole name=value text.
    std::string m_cookie;

protected:
    ~CCookieNode() override = default;
};
