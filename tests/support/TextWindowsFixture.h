#pragma once
// The log, report and editor windows as the program makes them: the main
// window shown, and a document manager whose windows of those kinds open in
// it (RegisterTextWindows), in a temporary home. A test sets m_settings,
// then calls OpenTextWindows with the main window's hooks; TearDown closes
// every document, then the main window.

#include "editor/EditTextBuffer.h"
#include "editor/ui/HTMLEditView.h"
#include "foundation/properties/PropertySet.h"
#include "platform/ui/RecordingModalDriver.h"
#include "shell/MainFrame.h"
#include "shell/TanglewardenDocManager.h"
#include "shell/TextWindows.h"
#include "transfer/base/LogRegistry.h"

#include "tests/support/QtApplication.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ShownMainFrame.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TemporaryDataFolder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <memory>
#include <string>
#include <utility>

// The text the view's buffer holds, each line with its line end.
inline std::string TextOf(const CHTMLEditView& view)
{
    std::string text;
    const CEditTextBuffer* buffer = view.GetBuffer();
    for (int line = 0; buffer && line < buffer->GetLineCount(); ++line)
        text += buffer->GetLine(line)->GetText();
    return text;
}

class CTextWindowsFixture : public ::testing::Test
{
protected:
    // Call under ASSERT_NO_FATAL_FAILURE.
    void OpenTextWindows(CMainFrame::CHooks hooks)
    {
        TestApplication();
        UseTemporaryUserFolders(m_env, m_temp);
        m_frame = std::make_unique<CMainFrame>(m_settings, std::move(hooks));
        ASSERT_TRUE(CreateAndShowMainFrame(*m_frame));
        m_manager = std::make_unique<CTanglewardenDocManager>(m_settings);
        m_manager->CreateDocTemplates([](CDocument&) -> CFrameWnd* { return nullptr; });
        RegisterTextWindows(*m_manager, [this] { return m_frame.get(); }, m_settings, m_logs);
    }

    void TearDown() override
    {
        if (m_manager)
            m_manager->CloseAllDocuments();
        m_manager.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_frame.reset();
    }

    CTempFolder m_temp;
    ScopedEnvironment m_env;
    CRecordingModalDriver m_driver;
    CLogRegistry m_logs;
    CPropertySet m_settings;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CTanglewardenDocManager> m_manager;
};
