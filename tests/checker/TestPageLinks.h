#pragma once
// What the test page parsers share: the links found on a page become its
// children as the link extraction makes them - one level deeper, Waiting
// below the task's Recursion and Max recursion at it, internal when they
// begin with the site's prefix - appended, prepared, and synchronised with
// an earlier occurrence. Call with the engine lock held.

#include "checker/LinkChecker.h"
#include "checker/LinkNode.h"

#include <memory>
#include <string>
#include <vector>

inline void AddTestLinks(CLinkChecker& engine, CLinkNode& page, const std::vector<std::string>& links,
                         const std::string& sitePrefix, CEngineLock& lock)
{
    const int recursion = GetIntOr(engine.GetTask(), TASK_RECURSION);
    for (const std::string& url : links)
    {
        auto node = std::make_unique<CLinkNode>();
        node->m_name = url;
        node->m_url = url;
        node->m_sourceText = url;
        node->m_referrer = page.m_url;
        node->m_depth = page.m_depth + 1;
        node->SetScope(url.rfind(sitePrefix, 0) == 0 ? kScopeInternal : kScopeExternal);
        node->SetState(node->m_depth < recursion ? kStateWaiting : kStateMaxRecursion);
        CLinkNode* added = engine.AppendNode(std::move(node));
        page.AddChild(added, engine.Stats());
        engine.PrepareLink(added, lock);
        added->SyncFromFirst(engine.Stats());
    }
}
