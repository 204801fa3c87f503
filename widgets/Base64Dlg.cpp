#include "widgets/Base64Dlg.h"

#include "foundation/text/Base64.h"
#include "foundation/text/ByteBuffer.h"
#include "foundation/text/HexText.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/DialogBuilder.h"
#include "res/Resources.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>

namespace
{
bool IsBase64Character(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/' ||
           c == '=';
}

bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

QPlainTextEdit* EditOf(const CDialog& dialog, int id)
{
    return qobject_cast<QPlainTextEdit*>(dialog.GetDlgItem(id));
}
} // namespace

CBase64Dlg::CBase64Dlg(QWidget* parent) : CDialog(IDD_BASE64, parent)
{
    if (const DialogDesc* description = FindDialog(IDD_BASE64))
        BuildDialogFromDescription(*this, *description);
    // Close is no default button: Enter in the tool closes nothing.
    if (auto* close = qobject_cast<QPushButton*>(GetDlgItem(IDCANCEL)))
        close->setAutoDefault(false);
    OnChange(IDC_BASE64_ENCODED, [this] { OnEncodedChanged(); });
    OnChange(IDC_BASE64_REAL, [this] { OnRealChanged(); });
    OnChange(IDC_BASE64_BINARY, [this] { OnBinaryClicked(); });
}

std::string CBase64Dlg::TypedBase64(std::string_view typed)
{
    std::string text;
    text.reserve(typed.size());
    for (char c : typed)
    {
        if (IsWhiteSpace(c))
            continue;
        if (!IsBase64Character(c))
            break;
        text += c;
    }
    return text;
}

std::string CBase64Dlg::DecodeForDisplay(std::string_view typed, bool binary)
{
    const std::string text = TypedBase64(typed);
    if (!binary)
        return Base64DecodeToString(text);
    CByteBuffer bytes;
    if (!Base64Decode(text, bytes))
        return std::string();
    return HexEncode(bytes.GetData(), static_cast<size_t>(bytes.GetLength()), 16, "", " ", "\r\n");
}

void CBase64Dlg::DoDataExchange(CDataExchange& dx)
{
    DDX_Check(dx, IDC_BASE64_BINARY, m_binary);
}

void CBase64Dlg::OnEncodedChanged()
{
    QPlainTextEdit* encoded = EditOf(*this, IDC_BASE64_ENCODED);
    QPlainTextEdit* real = EditOf(*this, IDC_BASE64_REAL);
    if (m_reentry > 0 || !encoded || !real)
        return;
    const QScopedValueRollback<int> reentry(m_reentry, m_reentry + 1);
    real->setPlainText(QString::fromStdString(DecodeForDisplay(encoded->toPlainText().toStdString(), m_binary != 0)));
}

void CBase64Dlg::OnRealChanged()
{
    QPlainTextEdit* encoded = EditOf(*this, IDC_BASE64_ENCODED);
    QPlainTextEdit* real = EditOf(*this, IDC_BASE64_REAL);
    if (m_reentry > 0 || !encoded || !real)
        return;
    const QScopedValueRollback<int> reentry(m_reentry, m_reentry + 1);
    const std::string bytes = real->toPlainText().toStdString();
    encoded->setPlainText(QString::fromStdString(Base64Encode(bytes.data(), bytes.size())));
}

void CBase64Dlg::OnBinaryClicked()
{
    UpdateData(true);
    if (QPlainTextEdit* real = EditOf(*this, IDC_BASE64_REAL))
        real->setReadOnly(m_binary != 0);
    OnEncodedChanged();
}
