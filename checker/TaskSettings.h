#pragma once
// CTaskSettings: one task - the start URI and everything the user set up for
// one crawl - as a property bag with the crawl filter embedded. The property
// ids 0 to 7 are not stored in the bag but read and written through the
// filter's text forms, so the key table, dialogs and project files handle the
// filter like any other property.
//
// Project files (".vbb") hold one task as markup: an XML declaration, a
// "Favorite" element with the text "X-Favorite", and an empty "Item" element
// whose attributes are the task keys that differ from their defaults, in key
// table order. The action (116) and the download folder (117) have no key and
// are never written.
//
// A task has no lock: one thread uses it at a time.

#include "checker/TaskFilter.h"

#include "foundation/properties/PropertySet.h"

#include <string>
#include <string_view>

class CPropertyKeyTable;
class CXmlNode;

enum TaskProperty : int
{
    TASK_URI = 100,
    TASK_ENABLE_POST = 101,
    TASK_POST_DATA = 102,
    TASK_USE_POST_FILE = 103,
    TASK_POST_FILE_PATH = 104,
    TASK_ENABLE_REFERRER = 105,
    TASK_REFERRER = 106,
    TASK_ENABLE_INCLUDE = 107,
    TASK_INCLUDE = 108,
    TASK_ENABLE_EXCLUDE = 109,
    TASK_EXCLUDE = 110,
    TASK_REDIRECT = 111,
    TASK_RECURSION = 112,
    TASK_FAVORITE_ID = 113,
    TASK_NAME = 114,
    TASK_IGNORE_EMPTY = 115,
    TASK_ACTION = 116,          // no key: 0 check, 1 browse, 2 browse offline, 3 download, 4 edit, 5 new page
    TASK_DOWNLOAD_FOLDER = 117, // no key
    TASK_FINISH_ON_MAX_REC = 118,
};

// Fills the task key table once per process; later calls return at once.
void RegisterTaskKeys();
// The task key table (registered on first use).
const CPropertyKeyTable& GetTaskKeyTable();

class CTaskSettings : public CPropertySet
{
public:
    // Every key's default, the start URI and, when settings are given, their
    // "Misc/Download Folder" as the download folder.
    explicit CTaskSettings(std::string_view startUri = {}, const IPropertySet* settings = nullptr);
    CTaskSettings(const CTaskSettings& other);
    CTaskSettings& operator=(const CTaskSettings& other);
    ~CTaskSettings() override;

    // Storing writes the project file's bytes; loading reads a project file
    // over the task's values (keys the file does not name keep theirs). A
    // file without the declaration or the Item element changes nothing. False
    // only when the archive cannot be read.
    bool Serialize(CArchive& ar) override;
    // The filter ids and every task key always exist (a key whose value was
    // dropped reads as 0 or empty).
    bool Has(int id) const override;
    bool GetString(int id, std::string& out) const override;
    bool GetInt(int id, int& out) const override;
    void SetString(int id, const char* text) override;
    // Filter ids go to the filter and also to the bag.
    void SetInt(int id, int value) override;
    // Empties the bag and resets the filter, without the key defaults.
    void Clear() override;

    // Clear.
    void Reset() { Clear(); }

    // Applies the Item element of a parsed project file; false when the
    // declaration or the Item element is missing.
    bool ReadXml(CXmlNode& root);

    // The start URI (property 100).
    std::string GetUrl() const { return GetStringValue(TASK_URI); }

    CTaskFilter& GetFilter() { return m_filter; }
    const CTaskFilter& GetFilter() const { return m_filter; }

private:
    // The project file's text.
    std::string FormatProjectText();

    CTaskFilter m_filter;
};
