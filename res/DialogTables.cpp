#include "res/Resources.h"

#include <algorithm>

namespace
{
constexpr ControlDesc kLoginPrompt[] = {
    {ControlKind::Static, 0, "&User:", 7, 7, 50, 8},
    {ControlKind::Edit, IDC_LOGIN_USER, "", 60, 5, 140, 14},
    {ControlKind::Static, 0, "&Password:", 7, 25, 50, 8},
    {ControlKind::Password, IDC_LOGIN_PASSWORD, "", 60, 23, 140, 14},
    {ControlKind::DefButton, 1, "OK", 96, 45, 50, 14},
    {ControlKind::Button, 2, "Cancel", 150, 45, 50, 14},
};

constexpr ControlDesc kTextPrompt[] = {
    {ControlKind::Static, IDC_PROMPT_LABEL, "", 7, 7, 193, 8},
    {ControlKind::Combo, IDC_PROMPT_TEXT, "", 7, 18, 193, 60},
    {ControlKind::DefButton, 1, "OK", 96, 80, 50, 14},
    {ControlKind::Button, 2, "Cancel", 150, 80, 50, 14},
};

constexpr ControlDesc kBase64[] = {
    {ControlKind::Static, 0, "&Base64 encoded string:", 7, 7, 150, 8},
    {ControlKind::MultiEdit, IDC_BASE64_ENCODED, "", 7, 18, 286, 60},
    {ControlKind::Static, 0, "&Real string or binary:", 7, 84, 150, 8},
    {ControlKind::MultiEdit, IDC_BASE64_REAL, "", 7, 95, 286, 60},
    {ControlKind::Check, IDC_BASE64_BINARY, "Bi&nary", 7, 162, 60, 10},
    {ControlKind::Button, 2, "&Close", 243, 160, 50, 14},
};

constexpr ControlDesc kWait[] = {
    {ControlKind::Static, IDC_WAIT_TEXT, "", 7, 7, 160, 20},
    {ControlKind::Button, 2, "Cancel", 60, 32, 50, 14},
};

const DialogDesc kDialogs[] = {
    {IDD_LOGIN_PROMPT, "Prompt", 207, 66, kLoginPrompt},
    {IDD_TEXT_PROMPT, "Prompt", 207, 101, kTextPrompt},
    {IDD_BASE64, "Base64 conversion", 300, 181, kBase64},
    {IDD_WAIT, "Wait", 174, 53, kWait},
};
} // namespace

std::span<const DialogDesc> GetDialogs()
{
    return kDialogs;
}

const DialogDesc* FindDialog(UINT id)
{
    const auto found = std::find_if(std::begin(kDialogs), std::end(kDialogs),
                                    [id](const DialogDesc& dialog) { return dialog.m_id == id; });
    return found == std::end(kDialogs) ? nullptr : &*found;
}
