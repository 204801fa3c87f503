#pragma once
// CLinkColorizer: the HTML colouriser of the HTML edit view that draws the
// values of href, src and background attributes in the colour of their
// link's state and marks each line holding such a link in the gutter.
//
// The state comes from the engine for a page the engine checked (the page's
// link id is the link context); for a page on disk without an engine a
// relative link is tested against the files beside the page. Engine answers
// are asked at every paint (the engine answers under its own lock); only
// file existence is cached, keyed by the exact path (paths compare
// case-sensitively, so "A.html" and "a.html" are different files).

#include "editor/SyntaxColorizer.h"
#include "foundation/text/ByteBuffer.h"

#include <map>
#include <string>

class CLinkChecker;

class CLinkColorizer : public CSyntaxColorizer
{
public:
    // basePath: the page's local path ("" for none); engine may be null.
    CLinkColorizer(std::string basePath, const CLinkChecker* engine, int linkContext);

    // "Links/Auto highlight HTML links": off colours link values as
    // ordinary attribute values.
    void SetAutoHighlight(bool on) { m_autoHighlight = on; }

    int GetValueKind(std::string_view tagName, std::string_view attributeName,
                     std::string_view value) const override;
    void AddRun(CEditTextBuffer& buffer, int kind, int startLine, int startIndex, int endLine,
                int endIndex) override;

    // The engine asked for link states; null: the files beside the page.
    const CLinkChecker* GetEngine() const { return m_engine; }
    // The link state of a decoded link text (the engine's numbering).
    int GetLinkState(const std::string& link) const;
    // A link state to its kind, 17 to 20.
    static int KindOfState(int state);
    // The gutter flag of a link kind; 0 for any other kind.
    static int LineFlagOfKind(int kind);

private:
    std::string m_basePath;
    const CLinkChecker* m_engine;
    int m_linkContext;
    bool m_autoHighlight = true;
    mutable CByteBuffer m_scratch;
    mutable std::map<std::string, bool> m_existence;
};
