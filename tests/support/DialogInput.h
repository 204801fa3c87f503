#pragma once
// What a user does to a dialog's controls, for the gui tests: typing into a
// field (replacing what it holds) and clicking a control.

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

// Replaces the text of a line edit (or an editable combo box's edit) as
// typed keys, so the dialog hears of every key.
inline void TypeText(QWidget* control, const std::string& text)
{
    auto* combo = qobject_cast<QComboBox*>(control);
    auto* edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(control);
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromStdString(text));
}

// A left click; a check box or radio button is clicked on its box, which a
// click in the middle of a wide one would miss.
inline void ClickControl(QWidget* control)
{
    ASSERT_NE(control, nullptr);
    const bool box = qobject_cast<QAbstractButton*>(control) && !qobject_cast<QPushButton*>(control);
    QTest::mouseClick(control, Qt::LeftButton, {}, box ? QPoint(6, control->height() / 2) : QPoint());
}
