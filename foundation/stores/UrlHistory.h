#pragma once
// The URL history: the URLs of the user's tasks, most recent first, offered
// again in the address box and the New Task dialog. One process-wide list
// (GetHistoryList) with a change stamp, loaded from "History.xml" in the
// data folder at start-up, saved when it changes, and reloaded when another
// running copy announces a newer save (broadcast code 4 with its stamp).
//
// The file:
//   <?xml version="1.0" encoding="UTF-8"?>
//   <History>
//     XVebb History
//     <Item URI="http://first/">Item 1</Item>
//     <Item URI="http://second/">Item 2</Item>
//   </History>
// two blanks per level, every line ended by "\r\n", one "Item" per URL in
// list order. The URL is entity-encoded, so quotes, '&' and '<' round-trip;
// other bytes, UTF-8 included, are written as they are.
//
// The list and the stamp are used on the UI thread only; they have no lock.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CAbstractVisitor;

// The list, index 0 the most recent. No two entries are equal.
std::vector<std::string>& GetHistoryList();

// The change stamp: 0 at start; every change of the list sets it by
// NextChangeStamp (platform/core/TickCount.h). A save does not change it.
uint32_t GetHistoryStamp();

// An empty URL does nothing. Otherwise every entry equal to it (case
// matters) is removed, it is inserted at index 0, the list is cut to the
// setting "Misc/Max History Size" and the stamp changes.
void AddToHistory(std::string_view url);

// Empties the list; the stamp changes.
void ClearHistory();

int GetHistoryCount();

// Hands every entry, index 0 first, to the visitor's Add (its results are
// not used).
void EnumHistory(CAbstractVisitor& visitor);

// SaveHistoryToFile over the list, index 0 first.
bool SaveHistory();

// Builds the document from the enumerator's texts (its Next, until false)
// and replaces "History.xml" in the data folder (created when missing) in
// one step (mode 0600: URLs may carry credentials); then broadcasts code 4
// with the stamp. False when there is no data folder or the file could not
// be written whole; the old file is then kept and nothing is broadcast.
[[nodiscard]] bool SaveHistoryToFile(CAbstractVisitor& enumerator);

// Replaces the list with the URLs of "History.xml", in file order, leaving
// out repeats of a URL. Another copy's save thus replaces what this copy
// held instead of piling in front of it. A missing file changes nothing.
void LoadHistory();

// Reads "History.xml" in the data folder (strict XML). When it can be
// opened the stamp changes, and every element "Item" anywhere in it, in
// document order, hands each of its "URI" attributes (names case-sensitive,
// values entity-decoded) that is not empty after trimming white space at
// both ends, trimmed, to the visitor's Add; false from Add ends the loading.
// False, changing nothing, when the file cannot be opened.
[[nodiscard]] bool LoadHistoryFromFile(CAbstractVisitor& visitor);
