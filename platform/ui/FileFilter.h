#pragma once
// The program's file-dialog filters ("Project files (*.vbb)|*.vbb|All files
// (*.*)|*.*||", DesktopServices.h) as Qt's name filters ("Project files
// (*.vbb)", "All files (*)"). Qt reads the patterns from the parentheses at
// the end of each filter, so a description's own trailing "(...)" is
// replaced by the pair's patterns; the patterns of a pair, separated by ';'
// in the program's form, are separated by blanks. "*.*" means every file, as
// it always did, and becomes "*" (on this platform "*.*" would skip names
// without a dot). A pair without patterns, or an empty filter, gives no
// filter (Qt then offers every file).

#include <string>
#include <vector>

std::vector<std::string> ConvertFileFilter(const std::string& filter);
