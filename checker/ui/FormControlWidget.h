#pragma once
// CFormControlWidget: the Qt control of one form element (the model's
// IFormControl, checker/FormControl.h). It owns its widget: the widget goes
// when the element destroys its control.

#include "checker/FormControl.h"

#include <QPointer>
#include <QWidget>

class CFormControlWidget : public IFormControl
{
public:
    explicit CFormControlWidget(QWidget* widget) : m_widget(widget) {}
    ~CFormControlWidget() override;
    CFormControlWidget(const CFormControlWidget&) = delete;
    CFormControlWidget& operator=(const CFormControlWidget&) = delete;

    // An edit's value, a button's or label's caption.
    void SetText(std::string_view text) override;

    // Null once Qt destroyed the widget with its parent.
    QWidget* Widget() const { return m_widget.data(); }

private:
    QPointer<QWidget> m_widget;
};
