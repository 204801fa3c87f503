#include "platform/ui/DialogBuilder.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/TreeCtrl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

QWidget* CreateControl(const ControlDesc& control)
{
    const QString text = QString::fromUtf8(control.m_text ? control.m_text : "");
    QWidget* widget = nullptr;
    switch (control.m_kind)
    {
    case ControlKind::Static: widget = new QLabel(text); break;
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(text);
        edit->setReadOnly(control.m_flags & kControlReadOnly);
        if (control.m_flags & kControlDigits)
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
        widget = edit;
        break;
    }
    case ControlKind::Password: {
        auto* edit = new QLineEdit(text);
        edit->setEchoMode(QLineEdit::Password);
        widget = edit;
        break;
    }
    case ControlKind::MultiEdit: {
        auto* edit = new QPlainTextEdit(text);
        edit->setReadOnly(control.m_flags & kControlReadOnly);
        widget = edit;
        break;
    }
    case ControlKind::Button: widget = new QPushButton(text); break;
    case ControlKind::DefButton: {
        auto* button = new QPushButton(text);
        button->setDefault(true);
        widget = button;
        break;
    }
    case ControlKind::Check: widget = new QCheckBox(text); break;
    case ControlKind::Radio: widget = new QRadioButton(text); break;
    case ControlKind::DropList:
    case ControlKind::Combo: {
        auto* combo = new QComboBox;
        combo->setEditable(control.m_kind == ControlKind::Combo);
        if (control.m_items)
            combo->addItems(QString::fromUtf8(control.m_items).split('\n', Qt::SkipEmptyParts));
        widget = combo;
        break;
    }
    case ControlKind::List: widget = new CListCtrl; break;
    case ControlKind::Tree: widget = new CTreeCtrl; break;
    case ControlKind::Group: widget = new QGroupBox(text); break;
    case ControlKind::Spin: widget = new QSpinBox; break;
    case ControlKind::Progress: widget = new QProgressBar; break;
    case ControlKind::Picture: widget = new QLabel; break;
    }
    widget->setEnabled(!(control.m_flags & kControlDisabled));
    if (control.m_flags & kControlHidden)
        widget->setVisible(false);
    return widget;
}

namespace
{
bool Stretches(ControlKind kind)
{
    return kind == ControlKind::Edit || kind == ControlKind::Password || kind == ControlKind::MultiEdit ||
           kind == ControlKind::Combo || kind == ControlKind::DropList || kind == ControlKind::List ||
           kind == ControlKind::Tree;
}
} // namespace

bool BuildDialogFromDescription(CDialog& dialog, const DialogDesc& description)
{
    if (dialog.layout())
        return false;
    dialog.setWindowTitle(QString::fromUtf8(description.m_caption));

    // Rows: controls sorted by top; a control joins the current row while
    // it starts above the row's bottom.
    std::vector<const ControlDesc*> controls;
    for (const ControlDesc& control : description.m_controls)
    {
        if (control.m_kind != ControlKind::Group)
            controls.push_back(&control);
    }
    std::stable_sort(controls.begin(), controls.end(),
                     [](const ControlDesc* a, const ControlDesc* b) { return a->m_y < b->m_y; });
    std::vector<std::vector<const ControlDesc*>> rows;
    int rowBottom = -1;
    for (const ControlDesc* control : controls)
    {
        if (rows.empty() || control->m_y >= rowBottom)
        {
            rows.emplace_back();
            rowBottom = control->m_y + std::max(control->m_height, 1);
        }
        else
        {
            rowBottom = std::max(rowBottom, control->m_y + control->m_height);
        }
        rows.back().push_back(control);
    }

    auto* layout = new QVBoxLayout(&dialog);
    // Radio groups follow the order of the description, not of the rows.
    std::vector<std::pair<const ControlDesc*, QWidget*>> made;
    bool anyTall = false;
    for (auto& row : rows)
    {
        std::stable_sort(row.begin(), row.end(),
                         [](const ControlDesc* a, const ControlDesc* b) { return a->m_x < b->m_x; });
        auto* line = new QHBoxLayout;
        QLabel* label = nullptr;
        bool rowStretches = false;
        for (const ControlDesc* control : row)
        {
            QWidget* widget = CreateControl(*control);
            // A label's mnemonic moves the focus to the control after it.
            if (label && control->m_kind != ControlKind::Static)
                label->setBuddy(widget);
            label = control->m_kind == ControlKind::Static ? qobject_cast<QLabel*>(widget) : nullptr;
            const bool stretch =
                (control == row.back() && Stretches(control->m_kind)) || (control->m_flags & kControlStretch);
            line->addWidget(widget, stretch ? 1 : 0);
            rowStretches = rowStretches || stretch;
            made.emplace_back(control, widget);
        }
        if (!rowStretches)
            line->addStretch(1);
        const bool tall = Stretches(row.back()->m_kind) && row.back()->m_height > 30;
        layout->addLayout(line, tall ? 1 : 0);
        anyTall = anyTall || tall;
    }
    // Without a row that takes the spare height, the rows keep together at
    // the top rather than spreading over a taller window.
    if (!anyTall)
        layout->addStretch(1);
    for (const ControlDesc& control : description.m_controls)
    {
        for (const auto& [desc, widget] : made)
        {
            if (desc == &control)
                dialog.SetDlgItem(control.m_id, widget, (control.m_flags & kControlGroup) != 0);
        }
    }
    return true;
}
