#pragma once
// The two keyword sets every colouriser shares: the C-like keywords
// (compared with case) and the HTML tag names (kept in upper case). The
// application creates them at start-up and frees them at exit; a lookup
// before that creates them on demand. Created and read on the UI thread.

#include <string_view>

// true creates both sets when they do not exist yet; false frees both.
void InitKeywordSets(bool create);
// Kind 3 looks the word up among the C-like keywords, kind 1 among the HTML
// tag names, both as given; other kinds and empty words give false.
bool IsKeyword(std::string_view word, int kind);
// An upper-cased copy of the word among the HTML tag names.
bool IsHtmlTagName(std::string_view word);
