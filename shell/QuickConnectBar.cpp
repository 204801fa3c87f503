#include "shell/QuickConnectBar.h"

#include "dialogs/SettingsPage.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "platform/core/Text.h"
#include "platform/ui/DialogBuilder.h"
#include "res/Resources.h"
#include "shell/MainFrame.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>

#include <algorithm>

namespace
{
constexpr int kMinDepth = 1;
constexpr int kMaxDepth = 1000;

bool IsEditCommand(UINT id)
{
    return id == ID_EDIT_COPY || id == ID_EDIT_CUT || id == ID_EDIT_PASTE || id == ID_EDIT_UNDO;
}
} // namespace

CQuickConnectBar::CQuickConnectBar(CPropertySet& settings, CCmdTarget& owner, QWidget* parent)
    : CDialog(IDD_QUICK_CONNECT, parent), m_settings(settings), m_owner(owner)
{
    setObjectName("QuickConnectBar");
    if (const DialogDesc* description = FindDialog(IDD_QUICK_CONNECT))
        BuildDialogFromDescription(*this, *description);
    if (layout())
        layout()->setContentsMargins(2, 1, 2, 1);
    m_urlCombo = qobject_cast<QComboBox*>(GetDlgItem(IDC_QC_URL));
    m_depthEdit = qobject_cast<QLineEdit*>(GetDlgItem(IDC_QC_DEPTH));
    m_depthSpin = qobject_cast<QSpinBox*>(GetDlgItem(IDC_QC_DEPTH_SPIN));
    m_startButton = qobject_cast<QPushButton*>(GetDlgItem(ID_QC_START));
    m_browseButton = qobject_cast<QPushButton*>(GetDlgItem(ID_QC_BROWSE));
    m_propertiesButton = qobject_cast<QPushButton*>(GetDlgItem(ID_QC_PROPERTIES));
    if (!m_urlCombo || !m_depthEdit || !m_depthSpin || !m_startButton || !m_browseButton || !m_propertiesButton)
        return; // the frame refuses a bar without its controls
    m_urlCombo->setObjectName("UrlCombo");
    m_urlCombo->setInsertPolicy(QComboBox::NoInsert);
    m_urlCombo->setMinimumContentsLength(12);
    m_urlCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_depthEdit->setObjectName("DepthEdit");
    m_depthEdit->setFixedWidth(m_depthEdit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    AttachSpin(*this, IDC_QC_DEPTH_SPIN, IDC_QC_DEPTH, kMinDepth, kMaxDepth);
    SetDepth(GetIntOr(m_settings, SETTING_MISC_MAX_RECURSION, 1));

    m_startButton->setObjectName("StartButton");
    m_startButton->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    m_browseButton->setObjectName("BrowseButton");
    m_browseButton->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_browseButton->setToolTip(QStringLiteral("Browse"));
    m_propertiesButton->setObjectName("PropertiesButton");
    m_propertiesButton->setIcon(QIcon(QPixmap::fromImage(LoadIconResource(IDI_PROPERTIES))));
    m_propertiesButton->setToolTip(QStringLiteral("Properties"));
    // The bar's buttons are commands, not a dialog's: only the start button
    // answers Enter, and nothing takes the focus by being pressed with the
    // mouse more than a toolbar button would.
    for (QPushButton* button : {m_browseButton, m_propertiesButton})
        button->setAutoDefault(false);

    // Every edit of the address enables or disables the start button.
    m_startButton->setEnabled(false);
    connect(m_urlCombo, &QComboBox::editTextChanged, m_startButton,
            [this](const QString& text) { m_startButton->setEnabled(!Trim(text.toStdString()).empty()); });
}

CQuickConnectBar::~CQuickConnectBar()
{
    if (!m_depthEdit)
        return;
    const int depth = MakeQuickConnectRequest({}, GetDepthText()).m_depth;
    if (GetIntOr(m_settings, SETTING_MISC_MAX_RECURSION, 1) != depth)
    {
        m_settings.SetInt(SETTING_MISC_MAX_RECURSION, depth);
        (void)SaveAllSettings();
    }
}

std::string CQuickConnectBar::GetUrlText() const
{
    return m_urlCombo ? m_urlCombo->currentText().toStdString() : std::string();
}

void CQuickConnectBar::SetUrlText(const std::string& url)
{
    if (m_urlCombo)
        m_urlCombo->setEditText(QString::fromStdString(url));
}

std::string CQuickConnectBar::GetDepthText() const
{
    return m_depthEdit ? m_depthEdit->text().toStdString() : std::string();
}

void CQuickConnectBar::SetDepth(int depth)
{
    if (m_depthEdit)
        m_depthEdit->setText(QString::number(std::clamp(depth, kMinDepth, kMaxDepth)));
}

bool CQuickConnectBar::HasFocusInside() const
{
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == this || isAncestorOf(focus));
}

void CQuickConnectBar::MoveFocus(bool next)
{
    std::vector<QWidget*> order;
    for (QWidget* control : std::initializer_list<QWidget*>{m_urlCombo, m_browseButton, m_depthEdit, m_startButton,
                                                            m_propertiesButton})
    {
        if (control && control->isEnabled() && control->isVisibleTo(this))
            order.push_back(control);
    }
    if (order.empty())
        return;
    const QWidget* focus = QApplication::focusWidget();
    size_t at = order.size();
    for (size_t i = 0; i < order.size(); ++i)
    {
        if (focus && (order[i] == focus || order[i]->isAncestorOf(focus)))
            at = i;
    }
    const size_t target = at == order.size() ? 0 : (next ? at + 1 : at + order.size() - 1) % order.size();
    order[target]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

bool CQuickConnectBar::OnBarCommand(UINT id, CommandRequest request, CCmdUI* ui)
{
    if (!m_urlCombo || !IsEditCommand(id) || !HasFocusInside())
        return false;
    const QWidget* focus = QApplication::focusWidget();
    QLineEdit* edit = nullptr;
    if (m_urlCombo->isAncestorOf(focus) || focus == m_urlCombo)
        edit = m_urlCombo->lineEdit();
    else if (focus == m_depthEdit)
        edit = m_depthEdit;
    // On a button, or Undo in the address box: shown disabled, done nowhere.
    if (!edit || (id == ID_EDIT_UNDO && edit != m_depthEdit))
    {
        if (request == CommandRequest::Update && ui)
            ui->Enable(false);
        return true;
    }
    if (request == CommandRequest::Update && ui)
    {
        if (id == ID_EDIT_PASTE)
            ui->Enable(!QApplication::clipboard()->text().isEmpty());
        else if (id == ID_EDIT_UNDO)
            ui->Enable(edit->isUndoAvailable());
        else
            ui->Enable(edit->hasSelectedText());
    }
    else if (request == CommandRequest::Execute)
    {
        if (id == ID_EDIT_COPY)
            edit->copy();
        else if (id == ID_EDIT_CUT)
            edit->cut();
        else if (id == ID_EDIT_PASTE)
            edit->paste();
        else
            edit->undo();
    }
    return true;
}

bool CQuickConnectBar::OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui)
{
    return OnBarCommand(id, request, ui) || m_owner.OnCmdMsg(id, request, ui);
}

void CQuickConnectBar::OnOK()
{
    (void)m_owner.ExecuteCommand(ID_QC_START);
}

void CQuickConnectBar::OnCancel()
{
}
