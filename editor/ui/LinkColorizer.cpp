#include "LinkColorizer.h"
#include "HTMLColorScheme.h"

#include "checker/LinkChecker.h"
#include "editor/EditTextBuffer.h"
#include "foundation/files/FileSystem.h"
#include "foundation/files/PathUtils.h"
#include "foundation/links/UrlParts.h"
#include "foundation/text/Escaping.h"
#include "platform/core/Text.h"

#include <array>


CLinkColorizer::CLinkColorizer(std::string basePath, const CLinkChecker* engine, int linkContext)
    : CSyntaxColorizer(1), m_basePath(std::move(basePath)), m_engine(engine), m_linkContext(linkContext)
{
}

int CLinkColorizer::KindOfState(int state)
{
    switch (state)
    {
    case 3: case 4: case 6: case 7: case 8:
        return kLinkKindOk;
    case 5: case 10:
        return kLinkKindOk + 1;
    case 0: case 11:
        return kLinkKindOk + 2;
    default:
        return kLinkKindOk + 3;
    }
}

int CLinkColorizer::LineFlagOfKind(int kind)
{
    static constexpr std::array<int, 4> kFlags{1, 2, 4, 8};
    if (kind < kLinkKindOk || kind > kLinkKindOk + 3)
        return 0;
    return kFlags[static_cast<size_t>(kind - kLinkKindOk)];
}

int CLinkColorizer::GetLinkState(const std::string& link) const
{
    if (m_engine)
        return m_engine->GetLinkStateByHref(m_linkContext, link);
    if (m_basePath.empty())
        return kStateUnknown;
    const int scheme = GetUrlScheme(link.c_str(), true);
    if (scheme == 0)
    {
        const std::string path = CombinePath(GetDirectoryPart(m_basePath), link);
        if (!IsLocalPath(path))
            return kStateUnknown;
        auto found = m_existence.find(path);
        if (found == m_existence.end())
            found = m_existence.emplace(path, FileExists(path)).first;
        return found->second ? kStateDownloaded : kStateBroken;
    }
    if (scheme >= 1 && scheme <= 3)
        return kStateUnknown;
    return kStateNotSupported;
}

int CLinkColorizer::GetValueKind(std::string_view tagName, std::string_view attributeName,
                                 std::string_view value) const
{
    constexpr int kPlainValue = 9;
    if (!m_autoHighlight || value.empty())
        return kPlainValue;
    if (CompareNoCase(attributeName, "href") != 0 && CompareNoCase(attributeName, "src") != 0 &&
        CompareNoCase(attributeName, "background") != 0)
        return kPlainValue;
    (void)tagName;
    m_scratch.SetLength(0);
    if (!DecodeEntitiesInto(m_scratch, value, nullptr, '%'))
        return kPlainValue;
    return KindOfState(GetLinkState(std::string(m_scratch.GetText())));
}

void CLinkColorizer::AddRun(CEditTextBuffer& buffer, int kind, int startLine, int startIndex, int endLine,
                            int endIndex)
{
    CSyntaxColorizer::AddRun(buffer, kind, startLine, startIndex, endLine, endIndex);
    const int flag = LineFlagOfKind(kind);
    if (!flag)
        return;
    for (int line = startLine; line <= endLine && line < buffer.GetLineCount(); ++line)
        if (CEditLine* edit = buffer.GetLine(line))
            edit->SetFlags(edit->GetFlags() | flag);
}
