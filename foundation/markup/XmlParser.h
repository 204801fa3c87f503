#pragma once
// CXmlParser: the one tolerant parser that turns XML files and HTML pages
// into a CXmlNode tree (XmlNode.h).
//
// Modes:
//   kHtml (0)  HTML with the repair rules below, so that real-world pages
//              give a usable tree;
//   kXml  (1)  strict XML, for the program's own files (favourites, URL
//              history, project files): an end tag must close the element
//              that is open, or parsing ends; an empty-element tag is named
//              without its '/' ("<Item/>" is "Item"), so the files the
//              markup writer makes read back to the same names;
//   other      a flat list: every token a child of the root, end tags dropped.
//
// Every token (MarkupReader.h), trimmed of white space, becomes a node with
// the trimmed token as its markup, the position where the token ended, its
// type and its name (GetTagName); tokens that are empty after trimming are
// dropped. Node types come from ClassifyMarkupToken; a token that is broken
// (type 5) ends parsing. A start tag with an empty name is kept as stray
// markup (type 5); stray nodes never take children and have no name.
//
// HTML repair rules:
// - an element named in the empty-element list (IsEmptyElementName) or the
//   self-nesting list (IsImplicitCloseName) never takes children;
// - an end tag that matches the open element closes it (type 3); one that
//   matches an element further up closes that element and makes its parent
//   the open one, leaving the elements in between open (type 2) - unless that
//   element sits directly under the root: then it is closed, the open element
//   stays, and the end tag stays in the tree as a stray node; an end tag that
//   matches nothing becomes a stray node;
// - the content of SCRIPT and STYLE is text up to the element's end tag, as
//   browsers read it.
// End tags find their element in constant time and the tree is built in a
// loop, so a page nested 100,000 levels deep parses in linear time without
// deep recursion.
//
// The parser holds only its mode: one instance may parse any number of
// inputs, one at a time per instance.

#include <string>
#include <string_view>

class CXmlNode;
class ICancelPoll;
class StreamInterface;

class CXmlParser
{
public:
    enum Mode : int
    {
        kHtml = 0,
        kXml = 1,
        kFlat = 2,
    };

    explicit CXmlParser(int mode = kHtml);

    int GetMode() const { return m_mode; }

    // The root is cleared, then filled from the text or the stream. The
    // cancel object (may be null) is polled before anything is read and
    // before each token; when it reports non-zero, parsing stops and the tree
    // keeps what was built. True when the whole input was read into the tree;
    // false when parsing stopped early (cancelled, a broken token, an end tag
    // that strict XML does not allow, or markup that the input ends inside).
    bool ParseString(CXmlNode& root, std::string_view text, ICancelPoll* cancel) const;
    bool ParseStream(CXmlNode& root, StreamInterface& stream, ICancelPoll* cancel) const;

    // Node type of a token (after trimming its white space): 1 text when it
    // does not begin with '<' (or is empty); 5 broken when shorter than 3
    // characters or not ending in '>'; 3 end tag ("</"), 6 ("<!"), 7 ("<?");
    // in XML mode 4 when a '/' stands just before the final '>'; else 2.
    int ClassifyMarkupToken(std::string_view token) const;

    // The tag name of a token: empty for a token shorter than 3 characters,
    // not enclosed in '<' and '>', or beginning with "<!--"; otherwise the
    // token without its leading '<' and '/' characters and trailing '>'
    // characters, cut at the first blank, CR, LF or TAB. So "<br/>" is named
    // "br/" and "<br />" is named "br".
    static std::string GetTagName(std::string_view token);

    // The HTML repair lists, compared ignoring ASCII case. Empty elements:
    // BR, HR, META, FRAME, PARAM, IMG, INPUT, OPTION, LINK. Self-nesting
    // elements: P, DIV, LI.
    static bool IsEmptyElementName(std::string_view name);
    static bool IsImplicitCloseName(std::string_view name);

private:
    class CTreeBuilder;

    // ClassifyMarkupToken of a token already trimmed.
    int ClassifyTrimmedToken(std::string_view trimmed) const;

    int m_mode;
};
