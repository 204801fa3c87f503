#pragma once
// The one QApplication of a gui test program, made on first use and
// destroyed when the program ends (Qt allows one per process; destroying it
// lets Qt and the libraries below it release what they hold). Run the program
// with QT_QPA_PLATFORM=offscreen, as ctest does.
//
// Qt keeps its input devices in a registry made on first use and destroyed
// at exit; made after the application, it would be gone before the
// application deletes its devices (a crash at exit after any mouse or wheel
// event). So the registry is made first.
//
// Qt's icon cache is a global that a clean-up routine of the application
// empties; made after the application is complete (as the first themed
// icon, say of the print preview's toolbar, makes it), it would be gone
// before the application and the clean-up would crash. So it is made while
// the holder is still being built.

#include <QApplication>
#include <QIcon>
#include <QInputDevice>

#include <memory>

inline QApplication& TestApplication()
{
    struct Holder
    {
        bool m_devicesFirst = (QInputDevice::devices(), true);
        int m_argc = 1;
        char m_name[12] = "tw-gui-test";
        char* m_argv[2] = {m_name, nullptr};
        std::unique_ptr<QApplication> m_application = std::make_unique<QApplication>(m_argc, m_argv);
        bool m_iconCacheFirst = (QIcon::fromTheme(QStringLiteral("tw-none")), true);
    };
    static Holder holder;
    return *holder.m_application;
}
