#include "checker/ui/FormControlWidget.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>

CFormControlWidget::~CFormControlWidget()
{
    delete m_widget.data();
}

void CFormControlWidget::SetText(std::string_view text)
{
    // The form's own change, not the user's: no notification.
    const QSignalBlocker blocker(m_widget.data());
    const QString value = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (auto* edit = qobject_cast<QLineEdit*>(m_widget))
        edit->setText(value);
    else if (auto* multiLine = qobject_cast<QPlainTextEdit*>(m_widget))
        multiLine->setPlainText(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(m_widget))
        button->setText(QString(value).replace(QLatin1Char('&'), QLatin1String("&&")));
    else if (auto* label = qobject_cast<QLabel*>(m_widget))
        label->setText(value);
}
