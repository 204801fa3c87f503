#include "checker/ui/FormControls.h"

#include "checker/FormData.h"
#include "checker/ui/FormControlWidget.h"

#include "platform/core/Text.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>

#include <memory>

namespace
{
constexpr uint32_t WS_TABSTOP = 0x00010000;

QString ToQString(const std::string& text)
{
    return QString::fromStdString(text);
}

// A caption shown on a button: '&' is a character here, not a mnemonic.
QString ButtonText(const std::string& text)
{
    return ToQString(text).replace(QLatin1Char('&'), QLatin1String("&&"));
}

bool IsTabStop(const CFormItem& item)
{
    return (item.GetStyle() & WS_TABSTOP) != 0;
}

int LastSelectedOption(const CFormItem& item)
{
    int last = -1;
    for (size_t i = 0; i < item.m_options.size(); ++i)
    {
        if (item.m_options[i].m_selected)
            last = static_cast<int>(i);
    }
    return last;
}

QWidget* MakeWidget(CFormItem& item, QWidget* parent, const FormCommandHandler& onCommand)
{
    const int id = item.m_controlId;
    const auto notify = [onCommand, id](int code) {
        if (onCommand)
            onCommand(id, code);
    };
    switch (item.m_type)
    {
    case CFormItem::kLabel:
    {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setText(ToQString(item.m_caption));
        return label;
    }
    case CFormItem::kEdit:
    case CFormItem::kReadOnlyEdit:
    case CFormItem::kPassword:
    {
        auto* edit = new QLineEdit(ToQString(item.m_caption), parent);
        edit->setReadOnly(item.m_type == CFormItem::kReadOnlyEdit);
        edit->setFrame(item.m_type != CFormItem::kReadOnlyEdit);
        if (item.m_type == CFormItem::kPassword)
            edit->setEchoMode(QLineEdit::Password);
        edit->setCursorPosition(0);
        QObject::connect(edit, &QLineEdit::textEdited, edit, [notify] { notify(kFormEditChanged); });
        return edit;
    }
    case CFormItem::kMultiLineEdit:
    case CFormItem::kReadOnlyMultiLine:
    {
        auto* edit = new QPlainTextEdit(parent);
        edit->setPlainText(ToQString(item.m_caption));
        edit->setReadOnly(item.m_type == CFormItem::kReadOnlyMultiLine);
        // Tab walks the form, as between a page's fields.
        edit->setTabChangesFocus(true);
        QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [notify] { notify(kFormEditChanged); });
        return edit;
    }
    case CFormItem::kListBox:
    {
        auto* list = new QListWidget(parent);
        list->setSelectionMode(item.m_multiple ? QAbstractItemView::ExtendedSelection
                                               : QAbstractItemView::SingleSelection);
        for (const CFormOption& option : item.m_options)
            list->addItem(ToQString(option.m_text));
        QObject::connect(list, &QListWidget::itemSelectionChanged, list,
                         [notify] { notify(kFormSelectionChanged); });
        return list;
    }
    case CFormItem::kComboBox:
    {
        auto* combo = new QComboBox(parent);
        for (const CFormOption& option : item.m_options)
            combo->addItem(ToQString(option.m_text));
        QObject::connect(combo, &QComboBox::activated, combo, [notify] { notify(kFormSelectionChanged); });
        return combo;
    }
    case CFormItem::kButton:
    case CFormItem::kImageButton:
    {
        auto* button = new QPushButton(parent);
        if (item.m_type == CFormItem::kImageButton)
            button->setIcon(parent->style()->standardIcon(QStyle::SP_FileDialogContentsView));
        else
            button->setText(ButtonText(item.m_caption));
        button->setAutoDefault(false);
        QObject::connect(button, &QPushButton::clicked, button, [notify] { notify(kFormClicked); });
        return button;
    }
    case CFormItem::kCheckBox:
    case CFormItem::kRadio:
    {
        QAbstractButton* button = item.m_type == CFormItem::kCheckBox
                                      ? static_cast<QAbstractButton*>(new QCheckBox(parent))
                                      : new QRadioButton(parent);
        button->setText(ButtonText(item.m_caption));
        QObject::connect(button, &QAbstractButton::clicked, button, [notify] { notify(kFormClicked); });
        return button;
    }
    default:
        return nullptr;
    }
}

bool CreateControl(CFormItem& item, QWidget* parent, const FormCommandHandler& onCommand)
{
    QWidget* widget = MakeWidget(item, parent, onCommand);
    if (!widget)
        return true; // the reserved types show nothing
    const CFormRect& r = item.m_rect;
    widget->setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
    widget->setFocusPolicy(IsTabStop(item) ? Qt::StrongFocus
                                           : (item.m_type == CFormItem::kLabel ? Qt::NoFocus : Qt::ClickFocus));
    widget->setObjectName(QString::number(item.m_controlId));
    item.SetControl(std::make_unique<CFormControlWidget>(widget));
    SyncControl(item, false);
    widget->show();
    return true;
}

// Radio buttons of one name are one exclusive group; the group belongs to
// the first button's widget and goes with it.
void JoinRadioGroup(CFormData& form, CFormItem& radio)
{
    auto* button = qobject_cast<QAbstractButton*>(GetControlWidget(radio));
    if (!button)
        return;
    button->setAutoExclusive(false);
    for (int i = 0; i < form.GetItemCount(); ++i)
    {
        CFormItem& other = *form.GetItem(i);
        if (&other == &radio)
            break;
        auto* first = qobject_cast<QAbstractButton*>(GetControlWidget(other));
        if (other.m_type == CFormItem::kRadio && first && first->group() &&
            CompareNoCase(other.m_name, radio.m_name) == 0)
        {
            first->group()->addButton(button);
            return;
        }
    }
    auto* group = new QButtonGroup(button);
    group->setExclusive(true);
    group->addButton(button);
}
}

bool CreateControls(CFormData& form, QWidget* parent, const FormCommandHandler& onCommand)
{
    for (int i = 0; i < form.GetItemCount(); ++i)
    {
        CFormItem& item = *form.GetItem(i);
        if (item.GetControl())
            continue;
        if (!CreateControl(item, parent, onCommand))
            return false;
        if (item.m_type != CFormItem::kRadio)
            continue;
        JoinRadioGroup(form, item);
        for (int j = i + 1; j < form.GetItemCount(); ++j)
        {
            CFormItem& next = *form.GetItem(j);
            if (next.m_type != CFormItem::kRadio || next.GetControl() || CompareNoCase(next.m_name, item.m_name) != 0)
                continue;
            if (!CreateControl(next, parent, onCommand))
                return false;
            JoinRadioGroup(form, next);
        }
    }
    return true;
}

QWidget* GetControlWidget(const CFormItem& item)
{
    auto* control = dynamic_cast<CFormControlWidget*>(item.GetControl());
    return control ? control->Widget() : nullptr;
}

void SyncControl(CFormItem& item, bool read)
{
    QWidget* widget = GetControlWidget(item);
    if (!widget)
        return;
    // Only the user's changes are notifications, not the form's own.
    const QSignalBlocker blocker(read ? nullptr : widget);
    switch (item.m_type)
    {
    case CFormItem::kEdit:
    case CFormItem::kPassword:
    {
        auto* edit = static_cast<QLineEdit*>(widget);
        if (read)
            item.m_value = edit->text().toStdString();
        else
            edit->setText(ToQString(item.m_value));
        break;
    }
    case CFormItem::kMultiLineEdit:
    {
        auto* edit = static_cast<QPlainTextEdit*>(widget);
        // A text area's lines end in CR LF, as a browser sends them.
        if (read)
            item.m_value = edit->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n")).toStdString();
        else
            edit->setPlainText(ToQString(item.m_value).replace(QLatin1String("\r\n"), QLatin1String("\n")));
        break;
    }
    case CFormItem::kListBox:
    {
        auto* list = static_cast<QListWidget*>(widget);
        const int count = std::min(list->count(), static_cast<int>(item.m_options.size()));
        if (read)
        {
            for (int i = 0; i < count; ++i)
                item.m_options[static_cast<size_t>(i)].m_selected = list->item(i)->isSelected();
        }
        else if (item.m_multiple)
        {
            for (int i = 0; i < count; ++i)
                list->item(i)->setSelected(item.m_options[static_cast<size_t>(i)].m_selected);
        }
        else
        {
            const int selected = LastSelectedOption(item);
            list->clearSelection();
            list->setCurrentRow(selected);
            if (selected >= 0)
                list->item(selected)->setSelected(true);
        }
        break;
    }
    case CFormItem::kComboBox:
    {
        auto* combo = static_cast<QComboBox*>(widget);
        if (read)
        {
            const int current = combo->currentIndex();
            for (size_t i = 0; i < item.m_options.size(); ++i)
                item.m_options[i].m_selected = static_cast<int>(i) == current;
        }
        else
        {
            const CFormOption* first = item.FirstSelectedOption();
            combo->setCurrentIndex(first ? static_cast<int>(first - item.m_options.data()) : -1);
        }
        break;
    }
    case CFormItem::kCheckBox:
    case CFormItem::kRadio:
    {
        auto* button = static_cast<QAbstractButton*>(widget);
        if (read)
        {
            item.m_checked = button->isChecked();
            break;
        }
        // An exclusive group would refuse to clear its checked button.
        QButtonGroup* group = button->group();
        const bool exclusive = group && group->exclusive();
        if (exclusive)
            group->setExclusive(false);
        button->setChecked(item.m_checked);
        if (exclusive)
            group->setExclusive(true);
        break;
    }
    default:
        break;
    }
}

void ReadAll(CFormData& form, bool read)
{
    for (int i = 0; i < form.GetItemCount(); ++i)
        SyncControl(*form.GetItem(i), read);
}

CFormItem* FindItemByWindow(CFormData& form, const QWidget* window)
{
    if (!window)
        return nullptr;
    for (int i = 0; i < form.GetItemCount(); ++i)
    {
        QWidget* widget = GetControlWidget(*form.GetItem(i));
        if (widget && (widget == window || widget->isAncestorOf(window)))
            return form.GetItem(i);
    }
    return nullptr;
}

QWidget* GetFirstTabStopControl(CFormData& form)
{
    for (int i = 0; i < form.GetItemCount(); ++i)
    {
        if (QWidget* widget = GetControlWidget(*form.GetItem(i)); widget && IsTabStop(*form.GetItem(i)))
            return widget;
    }
    return nullptr;
}

QWidget* GetLastTabStopControl(CFormData& form)
{
    for (int i = form.GetItemCount() - 1; i >= 0; --i)
    {
        if (QWidget* widget = GetControlWidget(*form.GetItem(i)); widget && IsTabStop(*form.GetItem(i)))
            return widget;
    }
    return nullptr;
}

bool MoveFocus(CFormData& form, bool backwards)
{
    const CFormItem* focused = FindItemByWindow(form, QApplication::focusWidget());
    if (!focused)
        return false;
    const int step = backwards ? -1 : 1;
    for (int i = focused->m_index + step; i >= 0 && i < form.GetItemCount(); i += step)
    {
        const CFormItem& item = *form.GetItem(i);
        QWidget* widget = GetControlWidget(item);
        if (widget && IsTabStop(item) && widget->isEnabled())
        {
            widget->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
            return true;
        }
    }
    return false;
}
