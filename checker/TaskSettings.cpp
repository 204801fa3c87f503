#include "checker/TaskSettings.h"

#include "checker/ArchiveStream.h"

#include "foundation/markup/XmlNode.h"
#include "foundation/markup/XmlParser.h"
#include "foundation/properties/PropertyKeyTable.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/text/StringLineSink.h"
#include "platform/core/Archive.h"
#include "platform/core/Text.h"

#include <mutex>

namespace
{
CPropertyKeyTable& TaskKeyTable()
{
    static CPropertyKeyTable table;
    return table;
}

struct TaskKeyRow
{
    const char* name;
    int id;
    bool isText;
    int intDefault;
    const char* textDefault;
};

// In the order project files write them.
const TaskKeyRow kTaskKeys[] = {
    {"URI", TASK_URI, true, 0, ""},
    {"Name", TASK_NAME, true, 0, ""},
    {"ID", TASK_FAVORITE_ID, false, 0, nullptr},
    {"EnablePOST", TASK_ENABLE_POST, false, 0, nullptr},
    {"POSTData", TASK_POST_DATA, true, 0, ""},
    {"UsePOSTFile", TASK_USE_POST_FILE, false, 0, nullptr},
    {"POSTFilePath", TASK_POST_FILE_PATH, true, 0, ""},
    {"EnableReferrer", TASK_ENABLE_REFERRER, false, 0, nullptr},
    {"Referrer", TASK_REFERRER, true, 0, ""},
    {"EnableInclude", TASK_ENABLE_INCLUDE, false, 0, nullptr},
    {"Include", TASK_INCLUDE, true, 0, ""},
    {"EnableExclude", TASK_ENABLE_EXCLUDE, false, 0, nullptr},
    {"Exclude", TASK_EXCLUDE, true, 0, ""},
    {"Redirect", TASK_REDIRECT, false, 0, nullptr},
    {"Recursion", TASK_RECURSION, false, 1, nullptr},
    {"IgnoreEmpty", TASK_IGNORE_EMPTY, false, 1, nullptr},
    {"FinishOnMaxRec", TASK_FINISH_ON_MAX_REC, true, 0, "0"},
    {"FilterTags", TASK_FILTER_TAGS, true, 0, "FFFFFFFF"},
    {"FilterProtocols", TASK_FILTER_PROTOCOLS, true, 0, "00000002"},
    {"FilterCaseSens", TASK_FILTER_CASE_SENSITIVE, true, 0, "0"},
    {"FilterIncludeEnable", TASK_FILTER_INCLUDE_ENABLE, true, 0, "0"},
    {"FilterExcludeEnable", TASK_FILTER_EXCLUDE_ENABLE, true, 0, "0"},
    {"FilterInclude", TASK_FILTER_INCLUDE, true, 0, ""},
    {"FilterExclude", TASK_FILTER_EXCLUDE, true, 0, ""},
    {"FilterExternal", TASK_FILTER_EXTERNAL, true, 0, "0"},
};

bool IsTaskKeyId(int id)
{
    for (const TaskKeyRow& row : kTaskKeys)
    {
        if (row.id == id)
            return true;
    }
    return false;
}

// The first empty element "Item" after the declaration, in document order
// (the parser puts the top element beside the declaration, the writer below
// it; either is found).
CXmlNode* FindItemElement(CXmlNode& declaration)
{
    for (CXmlNode* node = &declaration; node; node = node->NextNode())
    {
        if (node->GetType() == CXmlNode::kEmptyElement && node->GetName() == "Item")
            return node;
    }
    return nullptr;
}
} // namespace

void RegisterTaskKeys()
{
    static std::once_flag once;
    std::call_once(once, [] {
        CPropertyKeyTable& table = TaskKeyTable();
        for (const TaskKeyRow& row : kTaskKeys)
        {
            const CPropValue value =
                row.isText ? PropertyValue::InitString(row.textDefault) : PropertyValue::InitInt(row.intDefault);
            table.Add(row.name, row.id, value, false);
        }
    });
}

const CPropertyKeyTable& GetTaskKeyTable()
{
    RegisterTaskKeys();
    return TaskKeyTable();
}

CTaskSettings::CTaskSettings(std::string_view startUri, const IPropertySet* settings) : CPropertySet(false)
{
    // The defaults go through this class's setters, so the filter keys reach
    // the filter.
    GetTaskKeyTable().ApplyDefaults(*this);
    SetString(TASK_URI, std::string(startUri).c_str());
    if (settings)
    {
        std::string folder;
        settings->GetString(SETTING_MISC_DOWNLOAD_FOLDER, folder);
        SetString(TASK_DOWNLOAD_FOLDER, folder.c_str());
    }
}

CTaskSettings::CTaskSettings(const CTaskSettings& other) : CPropertySet(false)
{
    *this = other;
}

CTaskSettings& CTaskSettings::operator=(const CTaskSettings& other)
{
    if (this != &other)
    {
        CopyFrom(other);
        m_filter = other.m_filter;
    }
    return *this;
}

CTaskSettings::~CTaskSettings() = default;

bool CTaskSettings::Has(int id) const
{
    // A keyed integer set to 0 is dropped from the bag but still reads as 0;
    // counting it as present lets the project file keep a 0 that differs
    // from a default of 1 ("Recursion", "IgnoreEmpty").
    return CTaskFilter::IsFilterId(id) || CPropertySet::Has(id) || IsTaskKeyId(id);
}

bool CTaskSettings::GetString(int id, std::string& out) const
{
    if (CTaskFilter::IsFilterId(id))
        return m_filter.GetText(id, out);
    return CPropertySet::GetString(id, out);
}

bool CTaskSettings::GetInt(int id, int& out) const
{
    if (CTaskFilter::IsFilterId(id))
    {
        out = 0;
        return m_filter.GetInt(id, out);
    }
    return CPropertySet::GetInt(id, out);
}

void CTaskSettings::SetString(int id, const char* text)
{
    if (CTaskFilter::IsFilterId(id))
    {
        m_filter.SetText(id, text ? text : "");
        BumpStamp();
        return;
    }
    CPropertySet::SetString(id, text);
}

void CTaskSettings::SetInt(int id, int value)
{
    if (CTaskFilter::IsFilterId(id))
        m_filter.SetInt(id, value);
    CPropertySet::SetInt(id, value);
}

void CTaskSettings::Clear()
{
    CPropertySet::Clear();
    m_filter.Reset();
}

std::string CTaskSettings::FormatProjectText()
{
    std::string attributes;
    GetTaskKeyTable().FormatAttributes(*this, attributes);

    const std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    CXmlNode* declaration = root->AddChild({}, {}, {}, CXmlNode::kProcessing);
    CXmlNode* favorite = declaration->AddChild("Favorite", {}, "X-Favorite", CXmlNode::kElement);
    CXmlNode* item = favorite->AddChild("Item", {}, {}, CXmlNode::kEmptyElement);
    item->SetMarkup(Format("<Item %s />", attributes.c_str()));

    CStringLineSink sink;
    root->Write(sink, "  ", "", "\r\n", CXmlNode::kMaskAll, false);
    return sink.GetText();
}

bool CTaskSettings::ReadXml(CXmlNode& root)
{
    CXmlNode* declaration = root.FindByType(CXmlNode::kProcessing);
    if (!declaration)
        return false;
    CXmlNode* item = FindItemElement(*declaration);
    if (!item)
        return false;
    GetTaskKeyTable().ApplyAttributeList(item->GetAttributeText(), *this, true);
    return true;
}

bool CTaskSettings::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        const std::string text = FormatProjectText();
        ar.Write(text.data(), text.size());
        return true;
    }
    CArchiveStream stream(ar);
    const std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    // A file cut short still gives what was read before the cut.
    CXmlParser(CXmlParser::kXml).ParseStream(*root, stream, nullptr);
    ReadXml(*root);
    return !ar.Failed();
}
