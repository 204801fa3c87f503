#pragma once
// A colour editor view in a frame, shown offscreen with the keyboard focus,
// over an owned buffer with undo on, and a recording clipboard.

#include "editor/EditTextBuffer.h"
#include "editor/ui/ColorEditView.h"

#include "platform/core/RecordingDesktop.h"
#include "platform/ui/FrameWnd.h"

#include "tests/support/QtApplication.h"

#include "../editor/BufferText.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <chrono>
#include <functional>

class ViewFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApplication();
        m_frame = new CFrameWnd;
        m_view = new CColorEditView(m_frame);
        m_frame->setCentralWidget(m_view);
        m_frame->resize(640, 400);
        m_buffer = new CEditTextBuffer;
        m_view->AttachBuffer(m_buffer, true);
        m_view->EnableUndo(true);
        m_view->EnableTextArea(true, true);
        m_frame->show();
        m_frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame));
        m_view->setFocus();
        QCoreApplication::processEvents();
    }

    void TearDown() override { delete m_frame; }

    void SetText(const std::string& text)
    {
        m_view->SetText(text, true, 0);
        m_view->ClearUndo();
        m_view->SetSavePoint();
    }

    std::string Text() const { return WholeText(*m_buffer); }

    CEditSelection Selection() const { return m_view->GetSelection(); }

    // Processes events until the condition holds or the bound passes.
    static bool WaitFor(const std::function<bool()>& condition,
                        std::chrono::milliseconds bound = std::chrono::milliseconds(5000))
    {
        const auto end = std::chrono::steady_clock::now() + bound;
        while (!condition())
        {
            if (std::chrono::steady_clock::now() > end)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    // The centre of the cell at a (row, column) of the window, the gutter
    // counting as columns.
    QPoint CellPoint(int row, int cellColumn) const
    {
        return QPoint(cellColumn * m_view->GetCharWidth() + m_view->GetCharWidth() / 2,
                      row * m_view->GetLineHeight() + m_view->GetLineHeight() / 2);
    }

    CRecordingClipboard m_clipboard;
    CFrameWnd* m_frame = nullptr;
    CColorEditView* m_view = nullptr;
    CEditTextBuffer* m_buffer = nullptr;
};
