#pragma once
// The settings: every user setting is a value in one thread-safe property
// set (GetSettings), read and written everywhere by id (SettingIds.h). The
// settings key table (GetSettingsKeys) gives each id its '/'-grouped key
// name, kind and default (SettingsTable.h); it drives loading from and
// saving to the registry store under
// "Software\Quorvat Software\Tanglewarden\Settings" (one subkey per group,
// one value per key: Dword for integers, String for texts) and the export
// "Settings.xml" in the data folder, which is written on every save and
// never read.
//
// Start-up order: RegisterSettings (which creates the key table with its
// base keys), the task key table, then LoadSettingsAtStartup. The settings
// set and the key table are created on first use without a lock; the first
// use is on the UI thread at start-up. Registration, loading and saving run
// on the UI thread; worker threads read the set at any time.

#include <string>

class CPropertySet;
class CPropertyKeyTable;
class IPropertySet;

// The settings object: thread-safe, in drop-defaults mode (a setting of 0 or
// the empty text has no entry and reads as 0 or empty), never replaced.
CPropertySet& GetSettings();

// The settings key table, filled with the base keys on first use.
CPropertyKeyTable& GetSettingsKeys();

// Adds an integer key (keep-empty on) or a text key (a null default is the
// empty text) to the settings key table; an id already present is replaced
// and moves to the end.
void RegisterIntSetting(const char* name, int id, int defaultValue);
void RegisterStringSetting(const char* name, int id, const char* defaultValue, bool keepEmpty);

// The base keys, in table order.
void RegisterDefaultSettingKeys(CPropertyKeyTable& table);

// The application's keys. Their folder defaults are subfolders of the data
// folder and the user-agent default names the product, so the application
// identity must be filled first.
void RegisterSettings();

// Loads the settings object:
// 1. the values that are not keys: the identity's web and contact strings
//    (20484-20487), the help file path (20488), the program's path (20489)
//    and file name (20490);
// 2. every key from the registry, or its default when the key or the whole
//    settings key is missing (first run);
// 3. the range of every key that has one (SettingsTable.h).
// The values reach the settings object already clamped, so a worker thread
// never reads a value outside its range while a load runs.
void LoadSettings();

// LoadSettings at start-up; "Links/Default Task" comes within 0 to 5.
void LoadSettingsAtStartup();

// Saves every key to the registry (creating the settings key when missing),
// writes "Settings.xml" in the data folder (also when the registry could not
// be written), then broadcasts code 3 with the process id to every running
// copy. True when both the registry and the export were written. The two
// names are the same operation.
bool SaveSettings();
bool SaveAllSettings();

// Writes the settings object as XML to path: the declaration, the element
// "Settings" holding the text "X-Settings" and one nested element per '/'
// group with one element per key, in table order, indented by two blanks
// per level, lines ended by "\r\n". The file is replaced atomically (mode
// 0600: it holds proxy addresses that may carry credentials). False when the
// file could not be written whole; the old file is then kept.
[[nodiscard]] bool WriteSettingsXml(const std::string& path);

// Clamps the integer of id into min..max: a value of another kind than
// integer (a missing one included) or below min becomes min; one above max
// becomes max. Returns the value read before clamping (0 when not integer).
int ClampIntSetting(IPropertySet& set, int id, int min, int max);

// Application constants: 0 the help file name "Tanglewarden.chm", 3 the
// single-instance name "_Tanglewarden_app_mname_"; null for other indexes.
const char* GetAppConstant(int index);

// The text of a setting (converted from an integer); empty when missing.
std::string GetSettingString(int id);
