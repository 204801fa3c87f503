#pragma once
// Some servers write their dates with Russian month names ("5 марта 2004 г.").
// The date reader understands only the English abbreviations, so such texts
// are translated first.

#include <string>
#include <string_view>

// The Russian genitive month names are tried in calendar order; the first
// that occurs has every occurrence replaced by its English abbreviation
// ("марта" by "Mar") and no later month is tried. Then every year mark "г."
// is removed. Names and marks are recognised both in UTF-8 and in the
// Windows-1251 bytes that older servers send; the two never mistake one for
// the other, as a run of Windows-1251 letters is never valid UTF-8.
std::string TranslateMonthNames(std::string_view text);
