#include "foundation/markup/LinkWalk.h"

#include "foundation/text/AbstractVisitor.h"
#include "foundation/text/AttributeList.h"
#include "foundation/threads/CancelPoll.h"
#include "foundation/text/HtmlEntities.h"
#include "foundation/markup/FoldedName.h"
#include "foundation/markup/XmlNode.h"
#include "platform/core/Text.h"

#include <array>
#include <string>
#include <vector>

namespace
{
enum TagIndex : int
{
    kTagA = 1,
    kTagImg,
    kTagLink,
    kTagArea,
    kTagForm,
    kTagInput,
    kTagFrame,
    kTagIframe,
    kTagLayer,
    kTagIlayer,
    kTagScript,
    kTagEmbed,
    kTagObject,
    kTagApplet,
    kTagBody,
    kTagTable,
    kTagTd,
    kTagTh,
    kTagBgsound,
    kTagMeta,
};

constexpr std::array<std::string_view, 21> kTagNames{
    "",      "A",     "IMG",    "LINK",   "AREA",   "FORM", "INPUT", "FRAME", "IFRAME", "LAYER",   "ILAYER",
    "SCRIPT", "EMBED", "OBJECT", "APPLET", "BODY", "TABLE", "TD",    "TH",    "BGSOUND", "META",
};

constexpr std::array<const char*, kLinkKindCount> kLinkKindNames{
    "Not tagged",        "A HREF",           "A NAME",           "IMG SRC",          "LINK HREF ",
    "AREA HREF",         "FORM ACTION",      "INPUT SRC",        "FRAME SRC",        "IFRAME SRC",
    "LAYER SRC",         "LAYER BACKGROUND", "ILAYER SRC",       "ILAYER BACKGROUND", "SCRIPT SRC",
    "EMBED SRC",         "OBJECT SRC",       "APPLET ARCHIVE",   "APPLET CODEBASE",  "BODY BACKGROUND",
    "TABLE BACKGROUND",  "TD BACKGROUND",    "TH BACKGROUND",    "BGSOUND SRC",      "META REFRESH",
    "META EMAIL",
};

constexpr uint32_t KindBit(int kind)
{
    return uint32_t{1} << (kind - 1);
}

// The kinds each tag can report, by tag index.
constexpr std::array<uint32_t, 21> kTagKindBits{
    0,
    KindBit(kLinkAHref) | KindBit(kLinkAName),
    KindBit(kLinkImgSrc),
    KindBit(kLinkLinkHref),
    KindBit(kLinkAreaHref),
    KindBit(kLinkFormAction),
    KindBit(kLinkInputSrc),
    KindBit(kLinkFrameSrc),
    KindBit(kLinkIframeSrc),
    KindBit(kLinkLayerSrc) | KindBit(kLinkLayerBackground),
    KindBit(kLinkIlayerSrc) | KindBit(kLinkIlayerBackground),
    KindBit(kLinkScriptSrc),
    KindBit(kLinkEmbedSrc),
    KindBit(kLinkObjectSrc),
    KindBit(kLinkAppletArchive) | KindBit(kLinkAppletCodebase),
    KindBit(kLinkBodyBackground),
    KindBit(kLinkTableBackground),
    KindBit(kLinkTdBackground),
    KindBit(kLinkThBackground),
    KindBit(kLinkBgsoundSrc),
    KindBit(kLinkMetaRefresh) | KindBit(kLinkMetaEmail),
};

// Collects, from a start tag's attribute list, the values of up to three
// wanted attributes. Like a map of upper-cased names, a later attribute of
// the same name replaces an earlier one; values are entity-decoded. A value
// without a '&' holds no reference and is its own decoding: it stays a view
// of the element's markup, so most links cost no copy.
class CWantedAttributes : public CAbstractVisitor
{
public:
    static constexpr int kSlots = 3;

    void Read(const CXmlNode& element, std::string_view first, std::string_view second = {},
              std::string_view third = {})
    {
        m_names = {first, second, third};
        m_present = {};
        m_haveName = false;
        ParseAttributeList(element.GetAttributeText(), *this);
    }

    bool Add(std::string_view text) override
    {
        if (!m_haveName)
        {
            m_name = text;
            m_haveName = true;
            return true;
        }
        m_haveName = false;
        for (int i = 0; i < kSlots; ++i)
        {
            // Lengths first: most attributes are none of the wanted ones.
            if (m_names[i].size() == m_name.size() && !m_name.empty() && EqualsNoCase(m_name, m_names[i]))
            {
                if (text.find('&') == std::string_view::npos)
                {
                    m_values[i] = text;
                }
                else
                {
                    m_decoded[i] = DecodeHtmlEntities(text);
                    m_values[i] = m_decoded[i];
                }
                m_present[i] = true;
            }
        }
        return true;
    }

    bool Has(int slot) const { return m_present[slot]; }
    // The value, or "" when the attribute is absent; valid until the next
    // Read.
    std::string_view Value(int slot) const { return m_present[slot] ? m_values[slot] : ""; }

private:
    std::array<std::string_view, kSlots> m_names{};
    std::array<bool, kSlots> m_present{};
    std::array<std::string_view, kSlots> m_values{};
    // The decoded values that needed decoding.
    std::array<std::string, kSlots> m_decoded;
    std::string_view m_name;
    bool m_haveName = false;
};

// The refresh target as a browser takes it: no surrounding white space, and
// a quoted URL without its quotes.
std::string_view RefreshTarget(std::string_view url)
{
    const size_t first = url.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    url = url.substr(first, url.find_last_not_of(kBlanks) + 1 - first);
    if (url.front() == '"' || url.front() == '\'')
    {
        const size_t close = url.find(url.front(), 1);
        url = url.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
    }
    return url;
}

// Reports the links of one element; returns the context for its children.
class CElementLinks
{
public:
    CElementLinks(ILinkSink& sink, uint32_t mask)
        : m_sink(sink)
        , m_mask(mask)
    {
    }

    intptr_t Report(CXmlNode& element, int tag, intptr_t context)
    {
        // Reading attributes is the walk's main cost: skip tags whose kinds
        // are all unwanted.
        if (!(m_mask & kTagKindBits[static_cast<size_t>(tag)]))
            return context;
        CWantedAttributes& a = m_attributes;
        switch (tag)
        {
        case kTagA:
            a.Read(element, "HREF", "XHREF", "NAME");
            if (a.Has(0))
                return Link(kLinkAHref, a.Value(0), element, context);
            if (a.Has(1))
                return Link(kLinkAHref, a.Value(1), element, context);
            if (a.Has(2))
                return Link(kLinkAName, a.Value(2), element, context);
            return context;
        case kTagLink:
        case kTagArea:
            a.Read(element, "HREF");
            return a.Has(0) ? Link(tag == kTagLink ? kLinkLinkHref : kLinkAreaHref, a.Value(0), element, context)
                            : context;
        case kTagForm:
            a.Read(element, "ACTION");
            return Link(kLinkFormAction, a.Value(0), element, context);
        case kTagInput:
        case kTagScript:
        case kTagBgsound:
            a.Read(element, "SRC");
            if (!a.Has(0))
                return context;
            return Link(tag == kTagInput ? kLinkInputSrc : tag == kTagScript ? kLinkScriptSrc : kLinkBgsoundSrc,
                        a.Value(0), element, context);
        case kTagImg:
            return AlwaysSrc(kLinkImgSrc, element, context);
        case kTagFrame:
            return AlwaysSrc(kLinkFrameSrc, element, context);
        case kTagIframe:
            return AlwaysSrc(kLinkIframeSrc, element, context);
        case kTagEmbed:
            return AlwaysSrc(kLinkEmbedSrc, element, context);
        case kTagObject:
            return AlwaysSrc(kLinkObjectSrc, element, context);
        case kTagLayer:
        case kTagIlayer:
            a.Read(element, "BACKGROUND", "SRC");
            if (a.Has(0))
                Link(tag == kTagLayer ? kLinkLayerBackground : kLinkIlayerBackground, a.Value(0), element, context);
            if (a.Has(1))
                return Link(tag == kTagLayer ? kLinkLayerSrc : kLinkIlayerSrc, a.Value(1), element, context);
            return context;
        case kTagApplet:
            a.Read(element, "ARCHIVE", "CODEBASE");
            if (a.Has(0))
                Link(kLinkAppletArchive, a.Value(0), element, context);
            return Link(kLinkAppletCodebase, a.Value(1), element, context);
        case kTagBody:
        case kTagTable:
        case kTagTd:
        case kTagTh:
            a.Read(element, "BACKGROUND");
            if (!a.Has(0))
                return context;
            return Link(kLinkBodyBackground + (tag - kTagBody), a.Value(0), element, context);
        case kTagMeta:
            return Meta(element, context);
        default:
            return context;
        }
    }

private:
    intptr_t Link(int kind, std::string_view value, CXmlNode& element, intptr_t context)
    {
        if (!(m_mask & KindBit(kind)))
            return context;
        return m_sink.OnLink(kind, value, element, context);
    }

    intptr_t AlwaysSrc(int kind, CXmlNode& element, intptr_t context)
    {
        m_attributes.Read(element, "SRC");
        return Link(kind, m_attributes.Value(0), element, context);
    }

    intptr_t Meta(CXmlNode& element, intptr_t context)
    {
        CWantedAttributes& a = m_attributes;
        a.Read(element, "HTTP-EQUIV", "CONTENT", "NAME");
        if (a.Has(0))
        {
            if (!a.Has(1) || !EqualsNoCase(a.Value(0), "refresh"))
                return context;
            // The refresh reader wants the content with its terminating NUL.
            const std::string content(a.Value(1));
            const char* url = GetMetaRefreshUrl(content.c_str());
            return url ? Link(kLinkMetaRefresh, RefreshTarget(url), element, context) : context;
        }
        if (!a.Has(1) || !a.Has(2) || !EqualsNoCase(a.Value(2), "email"))
            return context;
        const std::string_view content = a.Value(1);
        if (StartsWithNoCase(content, "mailto:"))
            return Link(kLinkMetaEmail, content, element, context);
        return Link(kLinkMetaEmail, "mailto:" + std::string(content), element, context);
    }

    ILinkSink& m_sink;
    const uint32_t m_mask;
    CWantedAttributes m_attributes;
};
} // namespace

int GetTagIndex(std::string_view name)
{
    static constexpr auto kTagKeys = NameKeys(kTagNames);
    return IndexOfNameKey(kTagKeys, NameKey(name));
}

const char* GetLinkKindName(int kind)
{
    if (kind <= 0 || kind >= kLinkKindCount)
        return kLinkKindNames[kLinkNotTagged];
    return kLinkKindNames[static_cast<size_t>(kind)];
}

void FillLinkKindNames(CAbstractVisitor& list)
{
    for (const char* name : kLinkKindNames)
    {
        if (!list.Add(name))
            return;
    }
}

const char* GetMetaRefreshUrl(const char* content)
{
    if (!content)
        return nullptr;
    int state = 0;
    for (const char* p = content; *p; ++p)
    {
        const char c = *p;
        if (c == ';' && state == 0)
            state = 1;
        else if ((c == 'U' || c == 'u') && (state == 0 || state == 1))
            ++state;
        else if ((c == 'R' || c == 'r') && (state == 1 || state == 2))
            ++state;
        else if ((c == 'L' || c == 'l') && (state == 2 || state == 3))
            ++state;
        else if (c == '=' && (state == 3 || state == 4))
            return p + 1;
    }
    return nullptr;
}

void WalkLinks(CXmlNode& root, ILinkSink& sink, intptr_t context, uint32_t mask, ICancelPoll* cancel)
{
    // An explicit stack instead of recursion: a page may nest very deeply.
    struct Frame
    {
        CXmlNode* node;
        size_t next;
        intptr_t context;
    };
    std::vector<Frame> stack;
    CElementLinks links(sink, mask);

    // Reports the node's links and schedules its children; false to stop.
    const auto enter = [&](CXmlNode& node, intptr_t nodeContext) {
        if (cancel && cancel->Poll() != 0)
            return false;
        if (node.GetType() == CXmlNode::kOpenElement || node.GetType() == CXmlNode::kElement)
        {
            const int tag = GetTagIndex(node.GetName());
            if (tag > 0)
                nodeContext = links.Report(node, tag, nodeContext);
            if (tag == kTagScript)
                return true;
        }
        if (node.GetChildCount() > 0)
            stack.push_back({&node, 0, nodeContext});
        return true;
    };

    if (!enter(root, context))
        return;
    while (!stack.empty())
    {
        Frame& top = stack.back();
        if (top.next >= top.node->GetChildCount())
        {
            stack.pop_back();
            continue;
        }
        CXmlNode* child = top.node->GetChild(top.next++);
        const intptr_t childContext = top.context;
        if (!enter(*child, childContext))
            return;
    }
}
