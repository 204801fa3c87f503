#pragma once
// Link extraction over an HTML tree (WalkLinks): the tag table, the
// 26 link kinds with the names shown to the user and used in reports and
// filters, the sink that receives each link, and the META refresh reader.
//
// Which attribute of which tag gives which kind (names compared ignoring
// case, values decoded with DecodeHtmlEntities):
//   A        HREF, else XHREF: 1; neither but NAME: 2
//   LINK, AREA            HREF: 4, 5
//   FORM                  ACTION: 6, reported empty when absent
//   INPUT, SCRIPT, BGSOUND  SRC: 7, 14, 23
//   IMG, FRAME, IFRAME, EMBED, OBJECT  SRC: 3, 8, 9, 15, 16, reported empty
//                         when absent
//   LAYER, ILAYER         BACKGROUND: 11, 13, then SRC: 10, 12
//   APPLET                ARCHIVE: 17, then CODEBASE: 18, reported empty
//                         when absent
//   BODY, TABLE, TD, TH   BACKGROUND: 19, 20, 21, 22
//   META                  HTTP-EQUIV "refresh" with CONTENT: the URL in the
//                         content (GetMetaRefreshUrl) without the white space
//                         around it, and when it begins with a quote, only
//                         what stands between that quote and the next one
//                         (as browsers read "0; url='x.html'"), 24;
//                         without HTTP-EQUIV, NAME "email" with
//                         CONTENT: the content with "mailto:" put in front
//                         unless it begins with it, 25
// Other attributes are reported only when present; a present attribute with
// an empty value is reported empty. A bare attribute (no '=') counts as
// absent. Kind k is reported only when bit k-1 of the walk's mask is set.

#include <cstdint>
#include <string_view>

class CAbstractVisitor;
class CXmlNode;
class ICancelPoll;

// Receives the links of WalkLinks, in document order. The result
// becomes the context of the rest of the element and of its children, except
// after LAYER and ILAYER backgrounds and APPLET archives, whose results are
// dropped. The sink must not change the tree while it is walked.
class ILinkSink
{
public:
    virtual ~ILinkSink() = default;

    virtual intptr_t OnLink(int kind, std::string_view value, CXmlNode& element, intptr_t context) = 0;
};

enum LinkKind : int
{
    kLinkNotTagged = 0,
    kLinkAHref = 1,
    kLinkAName = 2,
    kLinkImgSrc = 3,
    kLinkLinkHref = 4,
    kLinkAreaHref = 5,
    kLinkFormAction = 6,
    kLinkInputSrc = 7,
    kLinkFrameSrc = 8,
    kLinkIframeSrc = 9,
    kLinkLayerSrc = 10,
    kLinkLayerBackground = 11,
    kLinkIlayerSrc = 12,
    kLinkIlayerBackground = 13,
    kLinkScriptSrc = 14,
    kLinkEmbedSrc = 15,
    kLinkObjectSrc = 16,
    kLinkAppletArchive = 17,
    kLinkAppletCodebase = 18,
    kLinkBodyBackground = 19,
    kLinkTableBackground = 20,
    kLinkTdBackground = 21,
    kLinkThBackground = 22,
    kLinkBgsoundSrc = 23,
    kLinkMetaRefresh = 24,
    kLinkMetaEmail = 25,
    kLinkKindCount = 26,
};

// Index of a tag name in the tag table, ignoring ASCII case: 0 for the empty
// name, 1 "A", 2 "IMG", 3 "LINK", 4 "AREA", 5 "FORM", 6 "INPUT", 7 "FRAME",
// 8 "IFRAME", 9 "LAYER", 10 "ILAYER", 11 "SCRIPT", 12 "EMBED", 13 "OBJECT",
// 14 "APPLET", 15 "BODY", 16 "TABLE", 17 "TD", 18 "TH", 19 "BGSOUND",
// 20 "META"; -1 for any other name.
int GetTagIndex(std::string_view name);

// The name of a link kind ("A HREF", "LINK HREF " with its trailing blank,
// ...); "Not tagged" for 0 and for kinds out of range.
const char* GetLinkKindName(int kind);

// Adds the 26 names, kind 0 first, to list (stopping if it refuses one).
void FillLinkKindNames(CAbstractVisitor& list);

// The URL inside a META refresh content: scanning the content with a counter
// that starts at 0, ';' at 0 sets it to 1; 'U' at 0 or 1, 'R' at 1 or 2 and
// 'L' at 2 or 3 (any case) each raise it by one; '=' at 3 or 4 ends the scan
// and the result points just after it; other characters change nothing. So
// "5; URL=http://h/" and "url=x" both give the text after the '='. Null when
// there is no such '=' (or content is null). The pointer is into content.
const char* GetMetaRefreshUrl(const char* content);

// Reports the links of the subtree under root (HTML pages): every link-bearing
// attribute of the tags A, IMG, LINK, AREA, FORM, INPUT, FRAME, IFRAME,
// LAYER, ILAYER, SCRIPT, EMBED, OBJECT, APPLET, BODY, TABLE, TD, TH,
// BGSOUND and META, in document order, to sink with its link
// kind (1-25), when bit kind-1 of mask is set. A report's result is the
// context of the rest of its element and of the element's children. The
// children of SCRIPT are not walked. The cancel object (may be null) is
// polled before each node; non-zero ends the walk. Runs in a loop of its
// own, never recursing.
void WalkLinks(CXmlNode& root, ILinkSink& sink, intptr_t context, uint32_t mask, ICancelPoll* cancel);
