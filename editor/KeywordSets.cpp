#include "editor/KeywordSets.h"

#include "platform/core/Text.h"

#include <memory>
#include <string>
#include <unordered_set>

namespace
{
const char* const kCKeywords[] = {
    "__asm", "__assume", "__based", "__cdecl", "__declspec", "__except", "__fastcall", "__finally", "__inline",
    "__int16", "__int32", "__int64", "__int8", "__leave", "__multiple_inheritance", "__single_inheritance",
    "__stdcall", "__try", "__uuidof", "__virtual_inheritance", "auto", "bool", "break", "case", "catch", "char",
    "class", "const", "const_cast", "continue", "default", "delete", "dllexport", "dllimport", "do", "double",
    "dynamic_cast", "else", "enum", "explicit", "extern", "false", "float", "for", "friend", "goto", "if", "inline",
    "int", "long", "main", "mutable", "naked", "namespace", "new", "noreturn", "operator", "private", "protected",
    "public", "register", "reinterpret_cast", "return", "short", "signed", "sizeof", "static", "static_cast",
    "struct", "switch", "template", "this", "thread", "throw", "true", "try", "typedef", "typeid", "typename",
    "union", "unsigned", "using", "uuid", "virtual", "void", "volatile", "wmain", "while",
};

const char* const kHtmlTagNames[] = {
    "A", "ABBR", "ACRONYM", "ADDRESS", "APPLET", "AREA", "B", "BASE", "BASEFONT", "BDO", "BIG", "BLOCKQUOTE",
    "BODY", "BR", "BUTTON", "CAPTION", "CENTER", "CITE", "CODE", "COL", "COLGROUP", "DD", "DEL", "DFN", "DIR",
    "DIV", "DL", "DT", "EM", "FIELDSET", "FONT", "FORM", "FRAME", "FRAMESET", "H1", "H2", "H3", "H4", "H5", "H6",
    "HEAD", "HR", "HTML", "I", "IFRAME", "IMG", "INPUT", "INS", "ISINDEX", "KBD", "LABEL", "LEGEND", "LI", "LINK",
    "MAP", "MENU", "META", "NOFRAMES", "NOSCRIPT", "OBJECT", "OL", "OPTGROUP", "OPTION", "P", "PARAM", "PRE", "Q",
    "S", "SAMP", "SCRIPT", "SELECT", "SMALL", "SPAN", "STRIKE", "STRONG", "STYLE", "SUB", "SUP", "TABLE", "TBODY",
    "TD", "TEXTAREA", "TFOOT", "TH", "THEAD", "TITLE", "TR", "TT", "U", "UL", "VAR",
};

using WordSet = std::unordered_set<std::string_view>;

struct KeywordSets
{
    WordSet cLike{std::begin(kCKeywords), std::end(kCKeywords)};
    WordSet htmlTags{std::begin(kHtmlTagNames), std::end(kHtmlTagNames)};
};

std::unique_ptr<KeywordSets>& Sets()
{
    static std::unique_ptr<KeywordSets> sets;
    return sets;
}

const KeywordSets& EnsureSets()
{
    InitKeywordSets(true);
    return *Sets();
}
}

void InitKeywordSets(bool create)
{
    if (create && !Sets())
        Sets() = std::make_unique<KeywordSets>();
    else if (!create)
        Sets().reset();
}

bool IsKeyword(std::string_view word, int kind)
{
    if (word.empty())
        return false;
    if (kind == 3)
        return EnsureSets().cLike.contains(word);
    if (kind == 1)
        return EnsureSets().htmlTags.contains(word);
    return false;
}

bool IsHtmlTagName(std::string_view word)
{
    if (word.empty())
        return false;
    const std::string upper = MakeUpper(word);
    return EnsureSets().htmlTags.contains(upper);
}
