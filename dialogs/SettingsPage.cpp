#include "dialogs/SettingsPage.h"

#include "foundation/properties/PropertySet.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/DialogBuilder.h"
#include "res/Resources.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

CSettingsPage::CSettingsPage(UINT templateId, IPropertySet* source, IPropertySet* target, std::string path,
                             std::string caption)
    : CDialog(templateId), m_path(std::move(path)), m_caption(std::move(caption)), m_source(source), m_target(target)
{
}

CSettingBinding& CSettingsPage::AddBinding(int controlId, int propertyId, int kind, int textLimit)
{
    CSettingBinding binding;
    binding.m_controlId = controlId;
    binding.m_propertyId = propertyId;
    binding.m_kind = kind;
    binding.m_textLimit = textLimit;
    m_bindings.push_back(binding);
    return m_bindings.back();
}

bool CSettingsPage::CreateFromTemplate(QWidget* parent)
{
    const DialogDesc* description = FindDialog(GetTemplateId());
    return description && CreateFromDescription(parent, *description);
}

bool CSettingsPage::CreateFromDescription(QWidget* parent, const DialogDesc& description)
{
    if (layout())
        return false;
    BuildDialogFromDescription(*this, description);
    for (const CSettingBinding& binding : m_bindings)
    {
        const int id = binding.m_controlId;
        OnChange(id, [this, id] { OnBoundControlChanged(id); });
    }
    if (!CreateAsChild(parent))
        return false;
    WatchControls();
    return true;
}

bool CSettingsPage::CreatePage(QWidget* parent, CDialog* owner, UINT notifyMessage)
{
    if (!CreateFromTemplate(parent))
        return false;
    AttachToOwner(owner, notifyMessage, m_notifyParam);
    return true;
}

void CSettingsPage::AttachToOwner(CDialog* owner, UINT notifyMessage, std::uintptr_t notifyParam)
{
    m_notifyParam = notifyParam;
    m_modified = false;
    m_created = true;
    m_owner = owner;
    m_notifyMessage = notifyMessage;
    UpdateData(false);
}

bool CSettingsPage::OnInitDialog()
{
    CDialog::OnInitDialog();
    ActivateToolTips(m_toolTipsActive);
    return true;
}

void CSettingsPage::DoDataExchange(CDataExchange& dx)
{
    if (!m_source || !m_target || !m_created)
        return;
    IPropertySet& source = *m_source;
    for (const CSettingBinding& binding : m_bindings)
    {
        if (dx.Failed())
            return;
        const int id = binding.m_propertyId;
        int value = GetIntOr(source, id, 0);
        switch (binding.m_kind)
        {
        case CSettingBinding::kCheck:
            DDX_Check(dx, binding.m_controlId, value);
            break;
        case CSettingBinding::kCombo:
            DDX_CBIndex(dx, binding.m_controlId, value);
            break;
        case CSettingBinding::kText:
            DDX_PropertyText(dx, binding.m_controlId, source, id, binding.m_textLimit);
            continue;
        case CSettingBinding::kInt:
            DDX_Text(dx, binding.m_controlId, value);
            if (binding.m_min < binding.m_max)
                DDV_MinMaxInt(dx, value, binding.m_min, binding.m_max);
            break;
        case CSettingBinding::kRadio:
            DDX_Radio(dx, binding.m_controlId, value);
            break;
        default:
            continue;
        }
        // Each value is stored as soon as its control has been read, so a
        // later failure keeps what the earlier bindings stored.
        if (dx.m_bSaveAndValidate && !dx.Failed())
            source.SetInt(id, value);
    }
}

bool CSettingsPage::UpdateData(bool save)
{
    m_failedControl = nullptr;
    if (!save)
        return CDialog::UpdateData(false);
    CDataExchange dx(this, true);
    DoDataExchange(dx);
    if (dx.Failed())
        m_failedControl = dx.LastControl();
    return !dx.Failed();
}

bool CSettingsPage::ApplyBindings()
{
    if (!m_source || !m_target)
        return true;
    for (const CSettingBinding& binding : m_bindings)
    {
        const int id = binding.m_propertyId;
        if (binding.m_kind == CSettingBinding::kText)
        {
            std::string text;
            m_source->GetString(id, text);
            m_target->SetString(id, text.c_str());
        }
        else
        {
            m_target->SetInt(id, GetIntOr(*m_source, id, 0));
        }
    }
    return true;
}

bool CSettingsPage::Reload()
{
    UpdateData(false);
    return true;
}

void CSettingsPage::SetModified(bool modified)
{
    if (!m_created)
        return;
    m_modified = modified;
    if (!modified || m_notifyMessage == 0 || !m_owner)
        return;
    if (auto* owner = dynamic_cast<ISettingsPageOwner*>(m_owner))
        owner->OnPageNotify(m_notifyMessage, m_notifyParam, m_path);
}

void CSettingsPage::OnBoundControlChanged(int)
{
    OnSettingChanged();
}

void CSettingsPage::OnSettingChanged()
{
    SetModified(true);
}

void CSettingsPage::AddToolTip(int controlId, const std::string& text)
{
    m_toolTips[controlId] = text;
    if (QWidget* control = GetDlgItem(controlId); control && m_toolTipsActive)
        control->setToolTip(QString::fromStdString(text));
}

void CSettingsPage::ActivateToolTips(bool on)
{
    m_toolTipsActive = on;
    for (const auto& [id, text] : m_toolTips)
    {
        if (QWidget* control = GetDlgItem(id))
            control->setToolTip(on ? QString::fromStdString(text) : QString());
    }
}

bool CSettingsPage::OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui)
{
    if (m_owner && m_owner->OnCmdMsg(id, request, ui))
        return true;
    return CDialog::OnCmdMsg(id, request, ui);
}

void CSettingsPage::OnOK()
{
    // Enter in a page presses the host's default button.
    if (m_owner)
        static_cast<QDialog*>(m_owner)->accept();
}

void CSettingsPage::OnCancel()
{
    if (m_owner)
        static_cast<QDialog*>(m_owner)->reject();
}

void CSettingsPage::WatchControls()
{
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

bool CSettingsPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && m_owner)
    {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ControlModifier))
        {
            QCoreApplication::postEvent(m_owner, new QKeyEvent(QEvent::KeyPress, key->key(), key->modifiers()));
            return true;
        }
    }
    return CDialog::eventFilter(watched, event);
}

void DDX_PropertyText(CDataExchange& dx, int controlId, IPropertySet& set, int propertyId, int limit)
{
    if (dx.Failed())
        return;
    std::string text;
    if (!dx.m_bSaveAndValidate)
    {
        set.GetString(propertyId, text);
        DDX_Text(dx, controlId, text);
        return;
    }
    DDX_Text(dx, controlId, text);
    if (limit > 0)
        DDV_MaxChars(dx, text, limit);
    if (!dx.Failed())
        set.SetString(propertyId, text.c_str());
}

void AttachSpin(CDialog& dialog, int spinId, int editId, int minimum, int maximum)
{
    auto* spin = qobject_cast<QSpinBox*>(dialog.GetDlgItem(spinId));
    auto* edit = qobject_cast<QLineEdit*>(dialog.GetDlgItem(editId));
    if (!spin || !edit)
        return;
    spin->setRange(minimum, maximum);
    // Only the arrows show; the number lives in the edit beside it.
    spin->setFixedWidth(spin->sizeHint().height());
    spin->setFocusPolicy(Qt::NoFocus);
    QObject::connect(spin, &QSpinBox::valueChanged, edit, [edit](int value) {
        if (edit->text().toInt() == value)
            return;
        edit->setText(QString::number(value));
        // A step counts as typing: the page hears of it.
        emit edit->textEdited(edit->text());
    });
    QObject::connect(edit, &QLineEdit::textChanged, spin, [spin](const QString& text) {
        bool ok = false;
        const int value = text.toInt(&ok);
        if (ok)
        {
            const QSignalBlocker blocker(spin);
            spin->setValue(value);
        }
    });
}
