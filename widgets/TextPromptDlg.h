#pragma once
// CTextPromptDlg: asks for one line of text, offering the earlier answers
// in a drop-down history. The caller sets the caption, label, text and
// (optionally) the history, runs it, and after IDOK reads the text and the
// history, which then starts with the entered text.
//
// UI thread only.

#include "platform/ui/Dialog.h"

#include <string>
#include <vector>

class CTextPromptDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CTextPromptDlg(QWidget* parent = nullptr);

    // The history after text was entered: text first, then the earlier
    // entries in order without any that equal it ignoring case. An empty
    // text is not recorded.
    static std::vector<std::string> RecordInHistory(const std::vector<std::string>& history,
                                                    const std::string& text);

    std::string m_caption;
    std::string m_label;
    std::string m_text;
    std::vector<std::string> m_history;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    void OnOK() override;
};
