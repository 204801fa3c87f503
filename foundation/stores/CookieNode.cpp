#include "foundation/stores/CookieNode.h"

CCookieNode::CCookieNode()
{
    m_expiry.m_status = COleDateTime::invalid;
}

CRefStringMap* CCookieNode::CreateNode() const
{
    return new CCookieNode();
}

void CCookieNode::DropCookie()
{
    m_domain.clear();
    m_secure = false;
}
