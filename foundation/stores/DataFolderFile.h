#pragma once
// The stores' files in the data folder, and the one way a store is saved
// there and announced to the other running copies, so that every store that
// another copy may hold open (cookies, passwords, history) is told of in the
// same way.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The full path of fileName in the data folder; empty when there is no data
// folder (the file would otherwise land in the current folder).
std::string GetDataFolderFilePath(std::string_view fileName);

// Saves a store to fileName in the data folder with save and, when that
// worked, posts the instance broadcast code with the argument (read after
// the save, so a stamp names what was written). False, with nothing
// announced, when there is no data folder or save fails.
bool SaveAndAnnounce(std::string_view fileName, unsigned broadcastCode,
                     const std::function<bool(const std::string& path)>& save,
                     const std::function<int64_t()>& argument);
