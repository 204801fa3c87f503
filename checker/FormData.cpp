#include "checker/FormData.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>

#include "checker/FormControl.h"
#include "foundation/markup/AttributeMapSink.h"
#include "foundation/markup/XmlNode.h"
#include "foundation/markup/XmlParser.h"
#include "foundation/text/Escaping.h"
#include "foundation/text/StringVisitors.h"
#include "platform/core/Text.h"

namespace
{

// SIZE, COLS and ROWS are multiplied into pixels; a page may say anything,
// so they are held to a size no screen needs before the arithmetic.
constexpr int kMaxUnits = 1000;

constexpr int kLineWidth = 600;
constexpr int kLineHeight = 24;
constexpr int kButtonWidth = 160;

// The attributes of one tag: values by upper-cased name, and the bare words.
class CTagAttributes
{
public:
    explicit CTagAttributes(const CXmlNode& node)
    {
        CAttributeMapSink values(m_values);
        CStringArrayVisitor bare(m_bare);
        node.ParseAttributes(values, &bare);
    }

    std::string Get(const std::string& upperName) const
    {
        const auto found = m_values.find(upperName);
        return found == m_values.end() ? std::string() : found->second;
    }

    bool Has(const std::string& upperName) const { return m_values.count(upperName) != 0; }

    // A flag such as CHECKED or MULTIPLE: the bare word, or the attribute
    // written out as XHTML does (checked="checked").
    bool HasFlag(const std::string& upperName) const
    {
        if (Has(upperName))
            return true;
        return std::any_of(m_bare.begin(), m_bare.end(),
                           [&](const std::string& word) { return EqualsNoCase(word, upperName); });
    }

    // The attribute as a count of characters or rows: 0 when missing or not
    // a positive number, at most kMaxUnits.
    int GetUnits(const std::string& upperName) const
    {
        const int value = StrToIntSafe(Get(upperName));
        return value > 0 ? std::min(value, kMaxUnits) : 0;
    }

private:
    std::map<std::string, std::string> m_values;
    std::vector<std::string> m_bare;
};

// Coordinates of a page with very many elements stop at the largest int
// instead of wrapping round.
int ClampedSum(int a, int b)
{
    const int64_t sum = static_cast<int64_t>(a) + b;
    return static_cast<int>(std::clamp<int64_t>(sum, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool IsElementNode(const CXmlNode& node)
{
    const int type = node.GetType();
    return type == CXmlNode::kOpenElement || type == CXmlNode::kElement || type == CXmlNode::kEmptyElement;
}

// The decoded text of a text node; "" for any other node or none.
std::string TextOf(const CXmlNode* node)
{
    if (!node || node->GetType() != CXmlNode::kText)
        return {};
    return UnescapeXmlEntities(node->GetMarkup());
}

// The text node an element holds: its first child when that is text. An
// OPTION never takes children in the HTML tree, so its text is the node
// right after it. Null when there is none.
const CXmlNode* HeldTextNode(const CXmlNode& element)
{
    const CXmlNode* node = element.GetChildCount() > 0 ? element.GetChild(0) : element.GetNextSibling();
    return node && node->GetType() == CXmlNode::kText ? node : nullptr;
}

} // namespace

CFormData::CFormData() = default;

CFormData::CFormData(const CFormData& other)
{
    *this = other;
}

CFormData& CFormData::operator=(const CFormData& other)
{
    if (this == &other)
        return *this;
    Clear();
    m_nextTop = other.m_nextTop;
    m_widestWidth = other.m_widestWidth;
    m_leftOrigin = other.m_leftOrigin;
    m_scrollX = other.m_scrollX;
    m_scrollY = other.m_scrollY;
    m_post = other.m_post;
    m_submitString = other.m_submitString;
    m_source = other.m_source;
    m_action = other.m_action;
    m_resultIndex = other.m_resultIndex;
    m_urlIndex = other.m_urlIndex;
    m_items.reserve(other.m_items.size());
    for (const auto& item : other.m_items)
    {
        m_items.push_back(std::make_unique<CFormItem>(*item));
        m_items.back()->m_index = static_cast<int>(m_items.size()) - 1;
    }
    return *this;
}

CFormData::~CFormData() = default;

bool CFormData::SetActionAndMethod(std::string_view source, std::string_view action)
{
    m_source = source;
    m_action = action;
    BuildPage();
    return true;
}

void CFormData::BuildPage()
{
    Clear();
    m_nextTop = kFirstTop;
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    const CXmlParser parser(CXmlParser::kHtml);
    // A page the parser has to stop in still gives the elements read so far.
    (void)parser.ParseString(*root, m_source, nullptr);
    for (CXmlNode* node = root->NextNode(); node; node = node->NextNode())
    {
        if (IsElementNode(*node))
            Parse(*node);
    }
    ComposeSubmitData("");
    AddPageControls();
}

void CFormData::Parse(CXmlNode& node)
{
    const std::string tag = MakeUpper(node.GetName());
    if (tag == "FORM")
    {
        AddTagLine(node);
        const CTagAttributes attributes(node);
        if (attributes.Has("METHOD"))
            m_post = EqualsNoCase(attributes.Get("METHOD"), "POST");
    }
    else if (tag == "INPUT")
        ParseInput(node);
    else if (tag == "SELECT")
        ParseSelect(node);
    else if (tag == "TEXTAREA")
        ParseTextArea(node);
}

void CFormData::ParseInput(CXmlNode& node)
{
    const CTagAttributes attributes(node);
    const std::string name = attributes.Get("NAME");
    const std::string value = attributes.Get("VALUE");
    std::string type = MakeUpper(attributes.Get("TYPE"));
    if (type.empty())
        type = "TEXT";
    const int size = attributes.GetUnits("SIZE");
    const int width = size > 0 ? size * 10 : 240;

    if (type == "HIDDEN")
    {
        CFormItem& item = AddItem(CFormItem::kReadOnlyEdit, type, name, 0, 10, kLineWidth, kLineHeight, value);
        item.m_caption = node.GetMarkup();
        return;
    }
    if (type == "CHECKBOX" || type == "RADIO")
    {
        const int itemType = type == "CHECKBOX" ? CFormItem::kCheckBox : CFormItem::kRadio;
        CFormItem& item = AddItem(itemType, type, name, 0, 10, kLineWidth, kLineHeight, value);
        item.m_caption = node.GetMarkup() + TextOf(node.NextNode());
        item.m_checked = attributes.HasFlag("CHECKED");
        return;
    }

    AddTagLine(node);
    if (type == "TEXT" || type == "PASSWORD")
    {
        const int itemType = type == "TEXT" ? CFormItem::kEdit : CFormItem::kPassword;
        AddItem(itemType, type, name, 0, 1, width, kLineHeight, value);
    }
    else if (type == "FILE")
    {
        AddItem(CFormItem::kEdit, type, name, 0, 1, width, kLineHeight, "");
        AddItem(CFormItem::kButton, type, name, 0, 1, kButtonWidth, kLineHeight, "Browse...");
    }
    else if (type == "SUBMIT" || type == "RESET" || type == "BUTTON")
    {
        std::string caption = value;
        if (caption.empty())
            caption = type == "SUBMIT" ? "Submit Query" : type == "RESET" ? "Reset" : "Button";
        AddItem(CFormItem::kButton, type, name, 0, 1, size > 0 ? size * 10 : kButtonWidth, kLineHeight, caption);
    }
    else if (type == "IMAGE")
        AddItem(CFormItem::kImageButton, type, name, 0, 1, 32, 32, value);
    else
    {
        CFormItem& item = AddItem(CFormItem::kReadOnlyEdit, type, name, 0, 10, kLineWidth, kLineHeight, value);
        item.m_caption = node.GetMarkup() + " (UNKNOWN)";
    }
}

void CFormData::ParseSelect(CXmlNode& node)
{
    AddTagLine(node);
    const CTagAttributes attributes(node);
    const int size = std::max(attributes.GetUnits("SIZE"), 1);
    const int type = size == 1 ? CFormItem::kComboBox : CFormItem::kListBox;
    CFormItem& item = AddItem(type, "SELECT", attributes.Get("NAME"), 0, 1, 200, size * kLineHeight, "");
    item.m_multiple = size > 1 && attributes.HasFlag("MULTIPLE");

    // Options inside an OPTGROUP belong to the list as well.
    std::vector<CXmlNode*> options;
    node.CollectElements("OPTION", false, true, options);
    bool anySelected = false;
    for (const CXmlNode* optionNode : options)
    {
        const CXmlNode* textNode = HeldTextNode(*optionNode);
        if (!textNode)
            continue;
        CFormOption option;
        option.m_text = TextOf(textNode);
        std::string value;
        option.m_value = optionNode->HasAttributeFiltered("VALUE", value, false) ? value : option.m_text;
        const bool marked = MakeUpper(optionNode->GetMarkup()).find("SELECTED") != std::string::npos;
        option.m_selected = marked && (item.m_multiple || !anySelected);
        option.m_defaultSelected = option.m_selected;
        anySelected = anySelected || option.m_selected;
        item.m_options.push_back(std::move(option));
    }
    if (!anySelected && !item.m_multiple && !item.m_options.empty())
        item.m_options.front().m_selected = true;
}

void CFormData::ParseTextArea(CXmlNode& node)
{
    AddTagLine(node);
    const CTagAttributes attributes(node);
    const int cols = attributes.GetUnits("COLS");
    const int rows = attributes.GetUnits("ROWS");
    const std::string text = node.GetChildCount() > 0 ? TextOf(node.GetChild(0)) : std::string();
    AddItem(CFormItem::kMultiLineEdit, "TEXTAREA", attributes.Get("NAME"), 0, 1, cols > 0 ? cols * 10 : 240,
            rows > 0 ? rows * kLineHeight : 48, text);
}

void CFormData::AddTagLine(const CXmlNode& node)
{
    AddItem(CFormItem::kReadOnlyEdit, "", "", 0, 10, kLineWidth, kLineHeight, node.GetMarkup());
}

void CFormData::AddPageControls()
{
    AddItem(CFormItem::kLabel, "", "", 0, 30, kLineWidth, kLineHeight, "URL:");
    m_urlIndex = AddItem(CFormItem::kEdit, "_URL_", "", 0, 4, kLineWidth, kLineHeight, m_action).m_index;
    AddItem(CFormItem::kLabel, "", "", 0, 10, kLineWidth, kLineHeight, "Resulting FORM string for sending to server:");
    m_resultIndex = AddItem(CFormItem::kMultiLineEdit, "_RESULT_", "", 0, 4, kLineWidth, 120, m_submitString).m_index;

    struct Button
    {
        int x;
        const char* caption;
        const char* typeName;
    };
    static const Button kButtons[] = {
        {0, "Update", "_UPDATE_"}, {170, "Reset", "_RESET_"}, {340, "Submit to server", "_SUBMIT_"}};
    // One row: every button starts from the same cursor, which then moves
    // down once.
    const int rowTop = m_nextTop;
    for (const Button& button : kButtons)
    {
        m_nextTop = rowTop;
        AddItem(CFormItem::kButton, button.typeName, "", button.x, 10, kButtonWidth, kLineHeight, button.caption);
    }
}

CFormItem& CFormData::AddItem(int type, std::string_view typeName, std::string_view name, int x, int y, int width,
                              int height, std::string_view value)
{
    auto item = std::make_unique<CFormItem>();
    item->m_rect.left = ClampedSum(m_leftOrigin, x);
    item->m_rect.top = ClampedSum(m_nextTop, y);
    item->m_rect.right = ClampedSum(item->m_rect.left, width);
    item->m_rect.bottom = ClampedSum(item->m_rect.top, height);
    item->m_type = type;
    item->m_typeName = typeName;
    item->m_name = name;
    item->m_caption = value;
    item->m_defaultValue = value;
    item->m_value = value;
    if (type == CFormItem::kRadio)
    {
        item->m_groupStart = std::none_of(m_items.begin(), m_items.end(), [&](const auto& earlier) {
            return earlier->m_type == CFormItem::kRadio && EqualsNoCase(earlier->m_name, name);
        });
    }
    item->m_index = static_cast<int>(m_items.size());
    m_nextTop = item->m_rect.bottom;
    m_widestWidth = std::max(m_widestWidth, width);
    m_items.push_back(std::move(item));
    return *m_items.back();
}

void CFormData::Clear()
{
    m_items.clear();
    m_nextTop = 0;
    m_widestWidth = 0;
    m_scrollX = 0;
    m_scrollY = 0;
    m_resultIndex = -1;
    m_urlIndex = -1;
}

void CFormData::ResetAll()
{
    for (const auto& item : m_items)
        item->ResetToDefault();
}

void CFormData::SetValue(int index, std::string_view text)
{
    CFormItem* item = GetItem(index);
    if (!item)
        return;
    item->m_value = text;
    if (IFormControl* control = item->GetControl())
        control->SetText(text);
}

void CFormData::ComposeSubmitData(std::string_view pressedName)
{
    if (!pressedName.empty())
        m_lastPressed = pressedName;
    std::string query;
    for (const auto& item : m_items)
    {
        if (item->m_typeName != "FILE")
            item->AppendSubmitPart(query, m_lastPressed);
    }
    m_submitString = std::move(query);
}

void CFormData::SetSelectedValue()
{
    SetValue(m_resultIndex, m_submitString);
}

void CFormData::DestroyControls()
{
    for (const auto& item : m_items)
        item->DestroyControl();
}

CFormItem* CFormData::FindItemById(int controlId)
{
    for (const auto& item : m_items)
    {
        if (item->m_controlId == controlId)
            return item.get();
    }
    return nullptr;
}

CFormItem* CFormData::FindItemByControl(const IFormControl* control)
{
    if (!control)
        return nullptr;
    for (const auto& item : m_items)
    {
        if (item->GetControl() == control)
            return item.get();
    }
    return nullptr;
}

CFormItem* CFormData::GetItem(int index)
{
    return index >= 0 && index < GetItemCount() ? m_items[static_cast<size_t>(index)].get() : nullptr;
}

const CFormItem* CFormData::GetItem(int index) const
{
    return index >= 0 && index < GetItemCount() ? m_items[static_cast<size_t>(index)].get() : nullptr;
}
