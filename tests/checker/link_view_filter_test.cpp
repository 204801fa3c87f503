#include "checker/LinkInfo.h"
#include "checker/LinkNames.h"
#include "checker/LinkViewFilter.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
CLinkInfo Record(int type, int state, int repetition = 1, int brokenChildren = 0)
{
    CLinkInfo record;
    record.m_linkType = type;
    record.m_state = state;
    record.m_repetition = repetition;
    record.m_brokenChildren = brokenChildren;
    record.m_url = "http://example.com/x";
    record.m_scope = kScopeInternal;
    record.m_tagType = 1;
    return record;
}

int32_t AllBut(int bit)
{
    return ~(int32_t{1} << bit);
}

struct MatchCase
{
    const char* what;
    std::function<void(CLinkViewFilter&)> setFilter;
    CLinkInfo record;
    bool passes;
};

TEST(LinkViewFilter, InitShowsEverything)
{
    CLinkViewFilter filter;
    filter.m_stateMask = 0;
    filter.Init();
    EXPECT_EQ(filter, CLinkViewFilter());
    EXPECT_EQ(filter.m_containsBroken, 1);
    EXPECT_EQ(filter.m_hideRepeats, 0);
    EXPECT_EQ(filter.m_tagMask, -1);
}

TEST(LinkViewFilter, MatchTable)
{
    auto local = Record(kTypeText, kStateDownloaded);
    local.m_url = "/tmp/a.txt";
    auto extraExternal = Record(kTypeText, kStateDownloaded);
    extraExternal.m_scope = kScopeExtraExternal;
    auto imageTag = Record(kTypeImage, kStateDownloaded);
    imageTag.m_tagType = 3;
    auto badState = Record(kTypeText, 40);

    const MatchCase cases[] = {
        {"default passes", [](CLinkViewFilter&) {}, Record(kTypeHtml, kStateDownloaded), true},
        {"default passes a repetition", [](CLinkViewFilter&) {}, Record(kTypeHtml, kStateDownloaded, 3), true},
        {"hide repeats drops a repetition", [](CLinkViewFilter& f) { f.m_hideRepeats = 1; },
         Record(kTypeHtml, kStateDownloaded, 2), false},
        {"hide repeats keeps a first occurrence", [](CLinkViewFilter& f) { f.m_hideRepeats = 1; },
         Record(kTypeHtml, kStateDownloaded, 1), true},
        {"hide repeats keeps an unattached node", [](CLinkViewFilter& f) { f.m_hideRepeats = 1; },
         Record(kTypeHtml, kStateDownloaded, -1), true},
        {"hide repeats wins over always shown",
         [](CLinkViewFilter& f) {
             f.m_hideRepeats = 1;
             f.m_pageMode = CLinkViewFilter::kAlwaysShown;
         },
         Record(kTypeHtml, kStateDownloaded, 2), false},
        {"page mode never", [](CLinkViewFilter& f) { f.m_pageMode = CLinkViewFilter::kNeverShown; },
         Record(kTypeFtpList, kStateDownloaded), false},
        {"page mode never leaves files", [](CLinkViewFilter& f) { f.m_pageMode = CLinkViewFilter::kNeverShown; },
         Record(kTypeImage, kStateDownloaded), true},
        {"page mode always skips the masks",
         [](CLinkViewFilter& f) {
             f.m_pageMode = CLinkViewFilter::kAlwaysShown;
             f.m_stateMask = 0;
             f.m_typeMask = 0;
         },
         Record(kTypeUrlList, kStateBroken), true},
        {"file mode never", [](CLinkViewFilter& f) { f.m_fileMode = CLinkViewFilter::kNeverShown; },
         Record(kTypeAnchor, kStateDownloaded), false},
        {"file mode never leaves type 0", [](CLinkViewFilter& f) { f.m_fileMode = CLinkViewFilter::kNeverShown; },
         Record(kTypeUnknown, kStateDownloaded), true},
        {"type-0 mode never", [](CLinkViewFilter& f) { f.m_type0Mode = CLinkViewFilter::kNeverShown; },
         Record(kTypeUnknown, kStateDownloaded), false},
        {"state bit cleared", [](CLinkViewFilter& f) { f.m_stateMask = AllBut(kStateStopped); },
         Record(kTypeHtml, kStateStopped), false},
        {"state bit cleared, broken children and contains-broken",
         [](CLinkViewFilter& f) { f.m_stateMask = AllBut(kStateStopped); },
         Record(kTypeHtml, kStateStopped, 1, 2), true},
        {"state bit cleared, broken children without contains-broken",
         [](CLinkViewFilter& f) {
             f.m_stateMask = AllBut(kStateStopped);
             f.m_containsBroken = 0;
         },
         Record(kTypeHtml, kStateStopped, 1, 2), false},
        {"contains-broken does not pass a cleared type bit",
         [](CLinkViewFilter& f) {
             f.m_stateMask = 0;
             f.m_typeMask = AllBut(kTypeHtml);
         },
         Record(kTypeHtml, kStateStopped, 1, 2), false},
        {"type bit cleared", [](CLinkViewFilter& f) { f.m_typeMask = AllBut(kTypeImage); },
         Record(kTypeImage, kStateDownloaded), false},
        {"tag bit cleared", [](CLinkViewFilter& f) { f.m_tagMask = AllBut(3); }, imageTag, false},
        {"other tag bit cleared", [](CLinkViewFilter& f) { f.m_tagMask = AllBut(1); }, imageTag, true},
        {"scope bit cleared", [](CLinkViewFilter& f) { f.m_scopeMask = AllBut(kScopeExtraExternal); },
         extraExternal, false},
        {"protocol HTTP cleared", [](CLinkViewFilter& f) { f.m_protocolMask = AllBut(kProtocolHttp); },
         Record(kTypeText, kStateDownloaded), false},
        {"protocol HTTP cleared leaves local", [](CLinkViewFilter& f) { f.m_protocolMask = AllBut(kProtocolHttp); },
         local, true},
        {"protocol local only", [](CLinkViewFilter& f) { f.m_protocolMask = 1 << kProtocolLocal; }, local, true},
        {"a state outside every mask", [](CLinkViewFilter&) {}, badState, false},
    };
    for (const MatchCase& c : cases)
    {
        CLinkViewFilter filter;
        c.setFilter(filter);
        EXPECT_EQ(filter.Match(c.record), c.passes) << c.what;
    }
}
} // namespace
