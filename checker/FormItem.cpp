#include "checker/FormItem.h"

#include <atomic>

#include "checker/FormControl.h"
#include "transfer/http/FormQuery.h"

namespace
{

constexpr uint32_t kChildVisible = 0x50000000;  // WS_CHILD | WS_VISIBLE
constexpr uint32_t kGroup = 0x00020000;         // WS_GROUP
constexpr uint32_t kExtendedSelection = 0x0800; // LBS_EXTENDEDSEL

// Ids are drawn by every form of the process, on whichever thread builds
// or copies it.
std::atomic<int> g_nextControlId{CFormItem::kFirstControlId};

int NextControlId()
{
    return g_nextControlId.fetch_add(1, std::memory_order_relaxed);
}

bool IsSingleList(const CFormItem& item)
{
    return item.m_type == CFormItem::kComboBox || (item.m_type == CFormItem::kListBox && !item.m_multiple);
}

} // namespace

CFormItem::CFormItem() : m_controlId(NextControlId()) {}

CFormItem::CFormItem(const CFormItem& other) : m_controlId(NextControlId())
{
    CopyFields(other);
}

CFormItem& CFormItem::operator=(const CFormItem& other)
{
    if (this == &other)
        return *this;
    DestroyControl();
    CopyFields(other);
    m_controlId = NextControlId();
    return *this;
}

void CFormItem::CopyFields(const CFormItem& other)
{
    m_rect = other.m_rect;
    m_type = other.m_type;
    m_caption = other.m_caption;
    m_defaultValue = other.m_defaultValue;
    m_value = other.m_value;
    m_checked = other.m_checked;
    m_multiple = other.m_multiple;
    m_groupStart = other.m_groupStart;
    m_typeName = other.m_typeName;
    m_name = other.m_name;
    m_options = other.m_options;
    m_index = other.m_index;
}

CFormItem::~CFormItem() = default;

uint32_t CFormItem::GetStyle() const
{
    const uint32_t group = m_groupStart ? kGroup : 0;
    switch (m_type)
    {
    case kEdit:
        return 0x50830080;
    case kReadOnlyEdit:
        return 0x50020880;
    case kListBox:
        return m_multiple ? (0x50A30100 | kExtendedSelection) : 0x50A30100;
    case kComboBox:
        return 0x50A10003;
    case kMultiLineEdit:
        return 0x50A31044;
    case kReadOnlyMultiLine:
        return 0x50231844;
    case kPassword:
        return 0x508300A0;
    case kButton:
        return 0x50010000 | group;
    case kCheckBox:
        return 0x50010003 | group;
    case kRadio:
        return 0x50010009 | group;
    case kImageButton:
        return 0x50010040 | group;
    default:
        return kChildVisible;
    }
}

void CFormItem::ResetToDefault()
{
    m_value = m_defaultValue;
    bool anySelected = false;
    for (CFormOption& option : m_options)
    {
        option.m_selected = option.m_defaultSelected;
        anySelected = anySelected || option.m_selected;
    }
    // A single list always shows one entry, and the page was parsed with the
    // first one selected; a reset must not leave it submitting nothing.
    if (!anySelected && IsSingleList(*this) && !m_options.empty())
        m_options.front().m_selected = true;
}

const CFormOption* CFormItem::FirstSelectedOption() const
{
    for (const CFormOption& option : m_options)
    {
        if (option.m_selected)
            return &option;
    }
    return nullptr;
}

void CFormItem::AppendSubmitPart(std::string& query, std::string_view pressedName) const
{
    const char* name = m_name.c_str();
    switch (m_type)
    {
    case kEdit:
    case kReadOnlyEdit:
    case kMultiLineEdit:
    case kReadOnlyMultiLine:
    case kPassword:
        AppendFormParam(query, name, m_value.c_str());
        break;
    case kListBox:
        for (const CFormOption& option : m_options)
        {
            if (option.m_selected)
                AppendFormParam(query, name, option.m_value.c_str());
        }
        break;
    case kComboBox:
        if (const CFormOption* option = FirstSelectedOption())
            AppendFormParam(query, name, option->m_value.c_str());
        break;
    case kButton:
    case kImageButton:
        if (m_name == pressedName)
            AppendFormParam(query, name, m_value.c_str());
        break;
    case kCheckBox:
    case kRadio:
        if (m_checked)
            AppendFormParam(query, name, m_value.c_str());
        break;
    default:
        break;
    }
}

void CFormItem::SetControl(std::unique_ptr<IFormControl> control)
{
    m_control = std::move(control);
}

void CFormItem::DestroyControl()
{
    m_control.reset();
}
