#pragma once
// The declaration of every setting key: id, '/'-grouped name, kind, default,
// keep-empty flag and load range, one row each, in table order (the order of
// the settings key table, of saving and of "Settings.xml"). The registration
// functions of Settings.h build the settings key table from these rows; the
// range column drives the clamps after every load.
//
// Rows of the base registration come first, then the application's. The base
// registration also registers three keys that the application registers
// again under the same ids (the later registration wins and moves to the
// end of the table); those three rows come last and are marked as replaced.

#include <cstddef>
#include <span>

enum class SettingKind
{
    Int,    // property kind 1
    String, // property kind 4
};

enum class SettingOrigin
{
    Base,         // RegisterDefaultSettingKeys
    Application,  // RegisterSettings
    BaseReplaced, // RegisterDefaultSettingKeys; replaced by RegisterSettings
};

enum class SettingDefaultSource
{
    Literal,       // m_intDefault or m_textDefault as it stands
    DataSubfolder, // the data folder's subfolder named by m_textDefault
    UserAgent,     // "%s %s (%s)" of the product name, version and web site
};

struct SettingDefinition
{
    int m_id = 0;
    const char* m_name = nullptr;
    SettingKind m_kind = SettingKind::Int;
    SettingOrigin m_origin = SettingOrigin::Application;
    SettingDefaultSource m_defaultSource = SettingDefaultSource::Literal;
    int m_intDefault = 0;
    const char* m_textDefault = nullptr;
    // Texts only: false trims a loaded text and loads the default for a
    // blank one; true keeps a loaded text as it is.
    bool m_keepEmpty = true;
    // Integers only: after every load a value below m_min (or missing, or of
    // another kind) becomes m_min, one above m_max becomes m_max.
    bool m_hasRange = false;
    int m_min = 0;
    int m_max = 0;
};

std::span<const SettingDefinition> GetSettingDefinitions();
