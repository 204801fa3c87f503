#pragma once
// A modal driver for tests (ModalDriver.h): message boxes are recorded with
// their texts and answered from a queue of answers (IDOK, or the first
// button, when the queue is empty); dialog runs call the test's script with
// the dialog, which ends it as a user would, and return the dialog's result
// (IDCANCEL when the script left it open); help requests are recorded.
// Installs itself for its lifetime.

#include "platform/ui/ModalDriver.h"

#include <QDialog>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class CRecordingModalDriver : public IModalDriver
{
public:
    struct Box
    {
        std::string m_text;
        std::string m_caption;
        UINT m_type = 0;
    };

    CRecordingModalDriver() : m_previous(InstallModalDriver(this)) {}
    ~CRecordingModalDriver() override { InstallModalDriver(m_previous); }
    CRecordingModalDriver(const CRecordingModalDriver&) = delete;
    CRecordingModalDriver& operator=(const CRecordingModalDriver&) = delete;

    void QueueAnswer(int answer) { m_answers.push_back(answer); }
    void SetDialogScript(std::function<void(QDialog&)> script) { m_script = std::move(script); }

    const std::vector<Box>& Boxes() const { return m_boxes; }
    const std::vector<UINT>& HelpRequests() const { return m_help; }
    int DialogRuns() const { return m_dialogRuns; }

    int MessageBox(QWidget*, const std::string& text, const std::string& caption, UINT type) override
    {
        m_boxes.push_back({text, caption, type});
        if (m_answers.empty())
            return (type & MB_TYPEMASK) == MB_YESNO || (type & MB_TYPEMASK) == MB_YESNOCANCEL ? IDYES : IDOK;
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    int RunDialog(QDialog& dialog) override
    {
        ++m_dialogRuns;
        dialog.setResult(IDCANCEL);
        dialog.show();
        if (m_script)
            m_script(dialog);
        dialog.hide();
        return dialog.result();
    }

    void ShowHelp(UINT context) override { m_help.push_back(context); }

private:
    IModalDriver* m_previous;
    std::deque<int> m_answers;
    std::function<void(QDialog&)> m_script;
    std::vector<Box> m_boxes;
    std::vector<UINT> m_help;
    int m_dialogRuns = 0;
};
