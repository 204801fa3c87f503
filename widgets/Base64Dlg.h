#pragma once
// CBase64Dlg: the Base64 conversion tool. Typing on either side converts
// into the other at once: Base64 text is decoded into plain text, or into a
// hexadecimal dump while Binary is on (the plain side is then read-only, as
// a dump cannot be typed back); plain text is encoded into Base64. Enter
// does nothing; Close ends the dialog.
//
// UI thread only.

#include "platform/ui/Dialog.h"

#include <string>
#include <string_view>

class CBase64Dlg : public CDialog
{
    Q_OBJECT

public:
    explicit CBase64Dlg(QWidget* parent = nullptr);

    // The Base64 part of typed text: white space (line breaks, blanks, tabs)
    // is skipped, and the text ends at the first character that is neither
    // in the alphabet nor '='.
    static std::string TypedBase64(std::string_view typed);
    // What the plain side shows for typed Base64: the decoded bytes as text,
    // or with binary each byte as two lower-case hex digits, a blank after
    // each except the 16th of a line, which is followed by CR LF.
    static std::string DecodeForDisplay(std::string_view typed, bool binary);

    int m_binary = 0;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    // Enter must not close the tool.
    void OnOK() override {}

private:
    void OnEncodedChanged();
    void OnRealChanged();
    void OnBinaryClicked();

    // Above 0 while one side is being written from the other, so that the
    // write does not convert back.
    int m_reentry = 0;
};
