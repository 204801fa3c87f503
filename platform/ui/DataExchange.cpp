#include "platform/ui/DataExchange.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/ModalDriver.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>

#include <charconv>

namespace
{
// The line edit behind an edit box or an editable combo box.
QLineEdit* LineEditOf(QWidget* control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit;
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->lineEdit();
    return nullptr;
}

bool ParseInt(const std::string& text, int& value)
{
    size_t begin = text.find_first_not_of(" \t");
    size_t end = text.find_last_not_of(" \t");
    if (begin == std::string::npos)
        return false;
    const char* first = text.data() + begin;
    const char* last = text.data() + end + 1;
    if (*first == '+')
        ++first;
    int parsed = 0;
    const auto result = std::from_chars(first, last, parsed);
    if (result.ec != std::errc() || result.ptr != last)
        return false;
    value = parsed;
    return true;
}
} // namespace

CDataExchange::CDataExchange(CDialog* dialog, bool saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog)
{
}

QWidget* CDataExchange::PrepareCtrl(int id)
{
    m_lastControl = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(id) : nullptr;
    return m_lastControl;
}

void CDataExchange::Fail(const std::string& message)
{
    m_failed = true;
    AfxMessageBox(message, MB_OK | MB_ICONWARNING);
    if (!m_lastControl)
        return;
    m_lastControl->setFocus(Qt::OtherFocusReason);
    if (QLineEdit* edit = LineEditOf(m_lastControl))
        edit->selectAll();
}

void DDX_Text(CDataExchange& dx, int id, std::string& value)
{
    if (dx.Failed())
        return;
    QWidget* control = dx.PrepareCtrl(id);
    if (dx.m_bSaveAndValidate)
    {
        if (QLineEdit* edit = LineEditOf(control))
            value = edit->text().toStdString();
        else if (auto* combo = qobject_cast<QComboBox*>(control))
            value = combo->currentText().toStdString();
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
            value = plain->toPlainText().toStdString();
        else if (auto* label = qobject_cast<QLabel*>(control))
            value = label->text().toStdString();
        return;
    }
    const QString text = QString::fromStdString(value);
    if (QLineEdit* edit = LineEditOf(control))
        edit->setText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        plain->setPlainText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
}

void DDX_Text(CDataExchange& dx, int id, int& value)
{
    if (dx.Failed())
        return;
    if (!dx.m_bSaveAndValidate)
    {
        std::string text = std::to_string(value);
        DDX_Text(dx, id, text);
        return;
    }
    std::string text;
    DDX_Text(dx, id, text);
    if (!ParseInt(text, value))
        dx.Fail("Please enter an integer.");
}

void DDV_MinMaxInt(CDataExchange& dx, int value, int minimum, int maximum)
{
    if (dx.Failed() || !dx.m_bSaveAndValidate)
        return;
    if (value < minimum || value > maximum)
        dx.Fail(QString("Please enter an integer between %1 and %2.").arg(minimum).arg(maximum).toStdString());
}

void DDV_MaxChars(CDataExchange& dx, const std::string& value, int count)
{
    if (dx.Failed())
        return;
    if (!dx.m_bSaveAndValidate)
    {
        if (QLineEdit* edit = LineEditOf(dx.LastControl()))
            edit->setMaxLength(count);
        return;
    }
    // Characters, not bytes: the text is UTF-8.
    if (QString::fromStdString(value).size() > count)
        dx.Fail(QString("Please enter no more than %1 characters.").arg(count).toStdString());
}

void DDX_Check(CDataExchange& dx, int id, int& value)
{
    if (dx.Failed())
        return;
    auto* box = qobject_cast<QCheckBox*>(dx.PrepareCtrl(id));
    auto* button = qobject_cast<QAbstractButton*>(dx.LastControl());
    if (dx.m_bSaveAndValidate)
    {
        if (box)
            value = box->checkState() == Qt::PartiallyChecked ? 2 : box->isChecked() ? 1 : 0;
        else if (button)
            value = button->isChecked() ? 1 : 0;
        return;
    }
    if (box && value == 2)
    {
        box->setTristate(true);
        box->setCheckState(Qt::PartiallyChecked);
    }
    else if (button)
    {
        button->setChecked(value != 0);
    }
}

void DDX_Radio(CDataExchange& dx, int id, int& value)
{
    if (dx.Failed())
        return;
    dx.PrepareCtrl(id);
    QButtonGroup* group = dx.m_pDlgWnd ? dx.m_pDlgWnd->GetRadioGroup(id) : nullptr;
    if (!group)
        return;
    const QList<QAbstractButton*> buttons = group->buttons();
    if (dx.m_bSaveAndValidate)
    {
        value = static_cast<int>(buttons.indexOf(group->checkedButton()));
        return;
    }
    // An exclusive group cannot have none checked; -1 unchecks them all.
    group->setExclusive(false);
    for (qsizetype index = 0; index < buttons.size(); ++index)
        buttons[index]->setChecked(index == value);
    group->setExclusive(true);
}

void DDX_CBIndex(CDataExchange& dx, int id, int& index)
{
    if (dx.Failed())
        return;
    auto* combo = qobject_cast<QComboBox*>(dx.PrepareCtrl(id));
    if (!combo)
        return;
    if (dx.m_bSaveAndValidate)
        index = combo->currentIndex();
    else
        combo->setCurrentIndex(index);
}
