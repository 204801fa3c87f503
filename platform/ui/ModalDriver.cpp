#include "platform/ui/ModalDriver.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

namespace
{
class CQtModalDriver : public IModalDriver
{
public:
    int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, UINT type) override
    {
        QMessageBox box(owner);
        box.setText(QString::fromStdString(text));
        box.setWindowTitle(QString::fromStdString(caption));
        switch (type & MB_ICONMASK)
        {
        case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
        case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
        case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
        case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
        default: break;
        }
        struct Button
        {
            QMessageBox::StandardButton m_button;
            int m_result;
        };
        std::vector<Button> buttons;
        switch (type & MB_TYPEMASK)
        {
        case MB_OKCANCEL: buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
        case MB_YESNOCANCEL:
            buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
            break;
        case MB_YESNO: buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
        case MB_RETRYCANCEL: buttons = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}}; break;
        default: buttons = {{QMessageBox::Ok, IDOK}}; break;
        }
        QMessageBox::StandardButtons all;
        for (const Button& button : buttons)
            all |= button.m_button;
        box.setStandardButtons(all);
        const int pressed = box.exec();
        for (const Button& button : buttons)
        {
            if (pressed == button.m_button)
                return button.m_result;
        }
        // Closed without a button: Cancel where there is one, else the first.
        return all.testFlag(QMessageBox::Cancel) ? IDCANCEL : buttons.front().m_result;
    }

    int RunDialog(QDialog& dialog) override { return dialog.exec(); }

    void ShowHelp(UINT) override
    {
        // The program has no help viewer of its own; help goes through the
        // application, which installs a driver that knows its help files.
    }
};

CQtModalDriver& QtDriver()
{
    static CQtModalDriver driver;
    return driver;
}

IModalDriver* g_driver = nullptr;
std::string& Caption()
{
    static std::string caption;
    return caption;
}
} // namespace

IModalDriver* InstallModalDriver(IModalDriver* driver)
{
    IModalDriver* old = g_driver;
    g_driver = driver;
    return old;
}

IModalDriver& GetModalDriver()
{
    return g_driver ? *g_driver : QtDriver();
}

void SetMessageBoxCaption(const std::string& caption)
{
    Caption() = caption;
}

int AfxMessageBox(const std::string& text, UINT type)
{
    return GetModalDriver().MessageBox(QApplication::activeWindow(), text, Caption(), type);
}
