#include "platform/ui/Dialog.h"

#include "platform/ui/DataExchange.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QTextEdit>

#include <algorithm>

namespace
{
const char* const kIdProperty = "twControlId";
} // namespace

CDialog::CDialog(UINT templateId, QWidget* parent) : QDialog(parent), m_nIDTemplate(templateId)
{
}

void CDialog::InitOnce()
{
    if (m_initialised)
        return;
    m_initialised = true;
    // Nested loads stay quiet to the end.
    const QScopedValueRollback<int> loading(m_loading, m_loading + 1);
    OnInitDialog();
}

int CDialog::DoModal()
{
    InitOnce();
    return GetModalDriver().RunDialog(*this);
}

bool CDialog::CreateAsChild(QWidget* parent)
{
    if (m_initialised)
        return false;
    setParent(parent, Qt::Widget);
    InitOnce();
    show();
    return true;
}

void CDialog::EndDialog(int code)
{
    done(code);
}

bool CDialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void CDialog::DoDataExchange(CDataExchange&)
{
}

bool CDialog::UpdateData(bool save)
{
    CDataExchange dx(this, save);
    if (save)
    {
        DoDataExchange(dx);
    }
    else
    {
        const QScopedValueRollback<int> loading(m_loading, m_loading + 1);
        DoDataExchange(dx);
    }
    return !dx.Failed();
}

void CDialog::OnOK()
{
    if (!UpdateData(true))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnHelp()
{
    GetModalDriver().ShowHelp(m_nIDTemplate);
}

void CDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier)
    {
        OnHelp();
        return;
    }
    QDialog::keyPressEvent(event);
}

QWidget* CDialog::GetDlgItem(int id) const
{
    for (QWidget* control : m_controls)
    {
        if (GetDlgCtrlID(control) == id)
            return control;
    }
    return nullptr;
}

int CDialog::GetDlgCtrlID(const QWidget* control)
{
    return control ? control->property(kIdProperty).toInt() : 0;
}

void CDialog::SetDlgItem(int id, QWidget* control, bool groupStart)
{
    if (!control)
        return;
    control->setProperty(kIdProperty, id);
    if (auto* radio = qobject_cast<QRadioButton*>(control))
    {
        const bool afterRadio = !m_controls.empty() && qobject_cast<QRadioButton*>(m_controls.back());
        if (groupStart || !afterRadio || !m_currentGroup)
        {
            m_currentGroup = new QButtonGroup(this);
            m_radioGroups[id] = m_currentGroup;
        }
        m_currentGroup->addButton(radio);
    }
    m_controls.push_back(control);
    Connect(id, control);
}

bool CDialog::ReplaceDlgItem(int id, QWidget* control)
{
    QWidget* old = GetDlgItem(id);
    if (!old || !control || !layout())
        return false;
    QLayoutItem* item = layout()->replaceWidget(old, control);
    if (!item)
        return false;
    delete item;
    // A label's mnemonic keeps leading to the control in that place.
    for (QLabel* label : findChildren<QLabel*>())
    {
        if (label->buddy() == old)
            label->setBuddy(control);
    }
    m_controls.erase(std::find(m_controls.begin(), m_controls.end(), old));
    delete old;
    SetDlgItem(id, control);
    return true;
}

QButtonGroup* CDialog::GetRadioGroup(int firstId) const
{
    auto found = m_radioGroups.find(firstId);
    return found == m_radioGroups.end() ? nullptr : found->second;
}

void CDialog::OnChange(int id, std::function<void()> handler)
{
    m_changeHandlers.emplace(id, std::move(handler));
}

void CDialog::FireChange(int id)
{
    if (m_loading)
        return;
    auto [first, last] = m_changeHandlers.equal_range(id);
    for (auto it = first; it != last; ++it)
        it->second();
}

void CDialog::Connect(int id, QWidget* control)
{
    // Only signals that user actions raise, and the loading guard for those
    // that code raises too.
    if (auto* edit = qobject_cast<QLineEdit*>(control))
    {
        connect(edit, &QLineEdit::textEdited, this, [this, id] { FireChange(id); });
    }
    else if (auto* combo = qobject_cast<QComboBox*>(control))
    {
        connect(combo, &QComboBox::activated, this, [this, id] { FireChange(id); });
        if (QLineEdit* comboEdit = combo->lineEdit())
            connect(comboEdit, &QLineEdit::textEdited, this, [this, id] { FireChange(id); });
    }
    else if (auto* push = qobject_cast<QPushButton*>(control))
    {
        connect(push, &QPushButton::clicked, this, [this, id] {
            if (id == IDOK)
                OnOK();
            else if (id == IDCANCEL)
                OnCancel();
            else if (id == IDHELP)
                OnHelp();
            else
                ExecuteCommand(static_cast<UINT>(id));
        });
    }
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
    {
        connect(button, &QAbstractButton::clicked, this, [this, id] { FireChange(id); });
    }
    else if (auto* spin = qobject_cast<QSpinBox*>(control))
    {
        connect(spin, &QSpinBox::valueChanged, this, [this, id] { FireChange(id); });
    }
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
    {
        connect(plain, &QPlainTextEdit::textChanged, this, [this, id] { FireChange(id); });
    }
    else if (auto* rich = qobject_cast<QTextEdit*>(control))
    {
        connect(rich, &QTextEdit::textChanged, this, [this, id] { FireChange(id); });
    }
}
