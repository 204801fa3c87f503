#pragma once
// CXmlNode: the one document model of the program. XML files (settings
// export, favourites, URL history, project files) and HTML pages are held as
// a tree of nodes. A node keeps its own markup text as it appeared in the
// source (or as it will be written), its tag name and its node type; the tree
// is built by the markup parser or by hand with AddChild, written back as
// text by Write, and searched by name, type and attribute.
//
// Every node is also an IKeyValueStore: the key "a/b/c" addresses the nested
// elements a, b and c below the node, and the value is the text child of the
// last one, so one settings key table saves to the registry or to an XML
// file alike.
//
// Node types and the markup each keeps:
//   0 root           nothing (the document itself)
//   1 text           the text, entity-encoded
//   2 open element   the start tag (its end tag was not seen yet)
//   3 element        the start tag (end tag seen, or built by hand)
//   4 empty element  the whole "<name .../>" tag
//   5 stray          broken or stray markup, as read
//   6 "<!" markup    comment, DOCTYPE or other declaration, as read
//   7 "<?" markup    processing instruction (the XML declaration)
//
// Ownership: a node owns its children and deletes them when it is cleared or
// destroyed; parent pointers are not owning. Nodes of a subclass create their
// children through CreateNode, so a subclass's tree consists of subclass
// nodes. Every walk over the tree (destruction, writing, searching, visiting)
// runs in a loop with its own stack, so a page nested 100,000 levels deep
// neither overflows the call stack nor takes quadratic time.
//
// A tree belongs to one thread at a time: even reading steps update a
// sibling-position hint inside the nodes.
//
// Entities: text is encoded with EscapeXmlEntities and decoded with
// UnescapeXmlEntities (Escaping.h); encoding leaves blanks alone.

#include "foundation/properties/KeyValueStore.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CAbstractVisitor;
class CXmlNode;
class ICancelPoll;
class ILineSink;

// The callback of CXmlNode::Visit: gets each node with the context of its
// parent element and returns the context for what follows (see Visit).
class IXmlNodeVisitor
{
public:
    virtual ~IXmlNodeVisitor() = default;

    virtual intptr_t OnNode(CXmlNode& node, intptr_t context) = 0;
};

class CXmlNode : public IKeyValueStore
{
public:
    enum NodeType : int
    {
        kRoot = 0,
        kText = 1,
        kOpenElement = 2,
        kElement = 3,
        kEmptyElement = 4,
        kStray = 5,
        kBangMarkup = 6,
        kProcessing = 7,
    };

    // Write masks: every node, or the text nodes only (bit n selects type n).
    static constexpr int kMaskAll = -1;
    static constexpr int kMaskText = 1 << kText;

    // Indentation grows by one step per level down to this depth and no
    // further, so writing a pathologically deep tree stays linear in its size.
    static constexpr size_t kMaxIndentLevels = 256;

    CXmlNode() = default;
    ~CXmlNode() override;
    CXmlNode(const CXmlNode&) = delete;
    CXmlNode& operator=(const CXmlNode&) = delete;

    // A new empty node of type 0 (a document root).
    static std::unique_ptr<CXmlNode> Create();
    // A new empty node of this node's class; every node of a tree is made here.
    virtual std::unique_ptr<CXmlNode> CreateNode() const;

    // ---- Fields -------------------------------------------------------------
    const std::string& GetMarkup() const { return m_markup; }
    void SetMarkup(std::string markup) { m_markup = std::move(markup); }
    const std::string& GetName() const { return m_name; }
    void SetName(std::string name) { m_name = std::move(name); }
    int GetType() const { return m_type; }
    void SetType(int type) { m_type = type; }
    // Where the node's token ended in the source (counted from 0); 0 for
    // nodes built by hand.
    int GetColumn() const { return m_column; }
    int GetLine() const { return m_line; }
    int GetOffset() const { return m_offset; }
    void SetPosition(int column, int line, int offset);

    // ---- Building and shape ---------------------------------------------------
    // Makes a node through CreateNode, sets its content with SetContent and
    // appends it as the last child. Returns the new child.
    CXmlNode* AddChild(std::string_view name, std::string_view attributeName, std::string_view text, int type);
    // Appends node (null: nothing, returns null) as the last child and makes
    // this node its parent. Returns the node.
    CXmlNode* AppendChild(std::unique_ptr<CXmlNode> node);
    // Inserts node before child index (at the end when index is past it).
    CXmlNode* InsertChild(size_t index, std::unique_ptr<CXmlNode> node);
    // Takes child index out of the tree and hands it to the caller (null out
    // of range). Its parent becomes null.
    std::unique_ptr<CXmlNode> DetachChild(size_t index);

    // Sets the node's markup from its parts, by type (text and attribute
    // values are entity-encoded):
    //   1     markup = the text
    //   2, 3  name; "<name attr=\"text\">" with an attribute name, else
    //         "<name>" and, when text is not empty, a text child holding it
    //   4     name; "<name attr=\"text\"/>" with an attribute name, else "<name/>"
    //   6     "<!-- text -->"
    //   7     the XML declaration (SetDeclaration)
    // The type becomes the given one in every case; for 0 and 5 nothing else
    // changes.
    void SetContent(std::string_view name, std::string_view attributeName, std::string_view text, int type);
    // Name "?xml", markup "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", type 7.
    void SetDeclaration();

    // Deletes the children, empties markup and name, type 0.
    void Clear();
    // Deletes the children only.
    void DeleteChildren();
    // Removes node from this node's subtree and deletes it; false when it is
    // not below this node.
    bool RemoveNode(CXmlNode* node);

    // The tree becomes a document: a declaration node; under it, when
    // rootName is not empty, the element rootName; under that, when rootText
    // is not empty, a text child rootText; then for each text the enumerator
    // gives (its Next, until false), numbered n from 1, an element made by
    // AddChild (itemName, attributeName, text, 3) with a text child holding
    // itemFormat formatted with n ("Item %d").
    void BuildDocument(CAbstractVisitor& enumerator, std::string_view rootName, std::string_view rootText,
                       const std::string& itemFormat, std::string_view itemName, std::string_view attributeName);

    // ---- Navigation -----------------------------------------------------------
    CXmlNode* GetParent() const { return m_parent; }
    size_t GetChildCount() const { return m_children.size(); }
    // Null out of range.
    CXmlNode* GetChild(size_t index) const;
    // Null for the last child and for a node without parent.
    CXmlNode* GetNextSibling() const;
    // Document order: the first child, else the next sibling, else the next
    // sibling of the nearest ancestor that has one, else null.
    CXmlNode* NextNode() const;
    // This node when it has the type, else the first direct child that has
    // it, else the first match found the same way in each child in order.
    CXmlNode* FindByType(int type);
    // NextNode of FindByType (type): with 7, the top element after the
    // declaration.
    CXmlNode* FindElement(int type);
    // The first direct child of exactly this type whose name equals name
    // (ASCII case ignored unless caseSensitive); with an attribute name, the
    // first such child that carries that attribute (its value is not
    // compared). A child found with an attribute name while creation is
    // allowed gets its start tag rewritten by SetContent (name,
    // attributeName, attributeValue, type); a child found without one keeps
    // its markup. Nothing found: null when noCreate, else a new child from
    // AddChild (name, attributeName, attributeValue, type). An empty name
    // gives null.
    CXmlNode* FindChild(std::string_view name, bool caseSensitive, std::string_view attributeName,
                        std::string_view attributeValue, int type, bool noCreate);
    // Appends, in document order, every child of type 2, 3 or 4 whose name
    // matches; with recursive set it also descends into every such child,
    // matching or not. Other nodes (a declaration) are not descended into:
    // for a whole document start from its top element (FindElement (7)).
    void CollectElements(std::string_view name, bool caseSensitive, bool recursive, std::vector<CXmlNode*>& out);
    // Walks the subtree in document order. The visitor gets every node with
    // a context: for types 1, 4 and 5 its result is returned at once (when
    // that node is where the walk started) and otherwise dropped; for types 2
    // and 3 its result is the context of the node's children; for 0, 6 and 7
    // the children get the node's own context. The cancel object (may be
    // null) is polled before each node; a non-zero result ends the whole walk
    // and is returned. A walk that ends normally returns the context its
    // starting node gave its children (the visitor's result for a leaf).
    intptr_t Visit(IXmlNodeVisitor& visitor, intptr_t context, ICancelPoll* cancel);

    // ---- Attributes (in the start tag's markup) ------------------------------
    // The part of the start tag after the tag name and the white space that
    // follows it, without the closing ">" ("/>" for type 4); empty for other
    // types or when there is none. A view of the markup: valid while the
    // node's markup stays unchanged.
    std::string_view GetAttributeText() const;
    // The attribute's value, surrounding quotes (double or single) removed,
    // entity-decoded; "" when absent.
    std::string GetAttribute(std::string_view name, bool caseSensitive) const;
    // Replaces the attribute at its old place or adds it before the closing
    // ">" ("/>" for type 4) as name="value", the value entity-encoded and a
    // blank put before it unless one is there already. No value: removes the
    // attribute. True when the attribute was not there before. An empty
    // name, a node that is not an element (types 2 to 4) or a tag without
    // its closing ">" changes nothing and gives false.
    bool SetAttribute(std::string_view name, std::optional<std::string_view> value, bool caseSensitive);
    // Deletes the attribute and the white space that follows it; returns the
    // position it had in the markup, or -1.
    int RemoveAttribute(std::string_view name, bool caseSensitive);
    // Hands every name and then its value (entity-decoded) to sink, and every
    // bare name to bareNames when given; returns the number of pairs.
    int ParseAttributes(CAbstractVisitor& sink, CAbstractVisitor* bareNames = nullptr) const;
    // True and the decoded value when the start tag has the attribute
    // (names folded to upper case unless caseSensitive).
    bool HasAttributeFiltered(std::string_view name, std::string& value, bool caseSensitive) const;

    // ---- Key paths ------------------------------------------------------------
    // Leading '/' characters are skipped; each '/'-separated part names an
    // element of type 3 found or created with FindChild. The last one's
    // children are replaced by one text child holding value, which is
    // returned. Null when a part is empty (an empty key, one ending in '/').
    CXmlNode* SetPathValue(std::string_view key, std::string_view value, bool caseSensitive);
    // Walks the same path (creating the elements that are missing) and gives
    // the decoded text of the last element's first child when that is a text
    // node; false otherwise.
    bool GetPathValue(std::string_view key, std::string& value, bool caseSensitive);

    // IKeyValueStore. Names are keys as above, compared ignoring case; blanks,
    // quotes, TABs, '<' and '>' in a key become '_'. GetInt and GetInt64 set
    // their output to 0 when the key is missing (unlike other stores) and
    // read an empty or non-numeric text as 0. Byte values are not supported:
    // their operations fail and report a length or size of 0; DeleteKey does
    // nothing and fails.
    bool GetString(std::string_view name, std::string& out) override;
    bool SetString(std::string_view name, std::string_view text) override;
    bool GetInt(std::string_view name, int& out) override;
    bool SetInt(std::string_view name, int value) override;
    bool GetInt64(std::string_view name, int64_t& out) override;
    bool SetInt64(std::string_view name, int64_t value) override;
    bool SetBytes(std::string_view name, const uint8_t* bytes, int length) override;
    bool GetBytes(std::string_view name, uint8_t* buffer, int& length) override;
    bool GetBytesSize(std::string_view name, unsigned& size) override;
    bool DeleteKey(std::string_view name) override;

    // ---- Writer -----------------------------------------------------------------
    // Writes the node and its subtree as text through sink, one WriteLine per
    // piece (the newline is part of the pieces). A node is written when bit
    // (type) of typeMask is set (-1: every node). A closed element whose only
    // child is a text node is written on one line with its text and end tag
    // (except under kMaskText); every other node starts a line of its own,
    // each level indented by one more step (up to kMaxIndentLevels). Children
    // of a root or declaration node keep their parent's indent. With
    // normalise set, white space in written text is collapsed
    // (CollapseWhitespace for text, CollapseLineBreaks for markup). Under
    // kMaskText text is written decoded and empty texts are left out.
    // Returns false, and stops, as soon as the sink refuses a piece.
    bool Write(ILineSink& sink, std::string_view step, std::string_view indent, std::string_view newline,
               int typeMask, bool normalise) const;

private:
    using ChildArray = std::vector<std::unique_ptr<CXmlNode>>;

    // Index of this node in its parent's children (the parent must be set).
    size_t IndexInParent() const;
    // Deletes the nodes and everything below them without recursion.
    static void DestroyAll(ChildArray& nodes);
    // The [begin, end) span of the attribute text in m_markup; false when
    // the node has no start tag to hold attributes.
    bool AttributeSpan(size_t& begin, size_t& end) const;

    std::string m_markup;
    std::string m_name;
    int m_type = kRoot;
    int m_column = 0;
    int m_line = 0;
    int m_offset = 0;
    ChildArray m_children;
    CXmlNode* m_parent = nullptr;
    // Where this node was last seen in its parent's children; checked before
    // use, so sibling steps are constant time while the tree does not change.
    mutable size_t m_indexHint = 0;
};

// White space at the start is dropped and every run of white space becomes
// one blank (a run at the end leaves one blank).
std::string CollapseWhitespace(std::string_view text);
// Every run of CR and LF becomes one blank; CR and LF at the start are
// dropped; everything else stays.
std::string CollapseLineBreaks(std::string_view text);
