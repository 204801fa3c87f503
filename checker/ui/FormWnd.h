#pragma once
// CFormWnd: the scrolling window that shows one form (checker/FormData.h) as
// live controls: the form's elements and the page's own controls (the
// action URL, the result box, Update, Reset and "Submit to server"). The
// controls sit on one page widget that the scroll bars move as a block;
// each control's notification reaches OnFormCommand with its element.
//
// The window owns its form; the form also keeps the scroll position, and
// its layout cursor and widest element give the scrollable height and
// width. Controls exist between OnFormChanged and DestroyControls; the
// window's owner calls them when it shows and leaves the form. Tab and
// Shift+Tab walk the form's tab stops and stop at either end.
//
// UI thread only.

#include "checker/FormData.h"

#include <QWidget>

class QScrollBar;

class CFormWnd : public QWidget
{
    Q_OBJECT

public:
    explicit CFormWnd(QWidget* parent = nullptr);
    // The form's elements and their controls go before the window.
    ~CFormWnd() override;

    CFormData& GetForm() { return m_form; }

    // Creates the controls of every element that has none; then the scroll
    // bars.
    void OnFormChanged();
    void DestroyControls();
    // Focus to the next or previous tab stop; whether one got it.
    bool MoveFocus(bool backwards);
    void UpdateScrollBars();

    // A control's notification: the element with that control id gets
    // OnFormCommand; an id of no element is ignored.
    void OnCommand(int controlId, int code);
    // Does nothing here; an owner's subclass forwards the command.
    virtual void OnFormCommand(CFormItem& item, int code);

    // The widget the controls are children of.
    QWidget* Page() const { return m_page; }
    QScrollBar* VerticalBar() const { return m_vertical; }
    QScrollBar* HorizontalBar() const { return m_horizontal; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void LayOut();
    void OnScrolled();

    CFormData m_form;
    QWidget* m_viewport;
    QWidget* m_page;
    QScrollBar* m_vertical;
    QScrollBar* m_horizontal;
};
