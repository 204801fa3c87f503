#pragma once
// The one QApplication of a gui test program, made on first use and
// destroyed when the program ends (Qt allows one per process; destroying it
// lets Qt and the libraries below it release what they hold). Run the program
// with QT_QPA_PLATFORM=offscreen, as ctest does.

#include <QApplication>
#include <QInputDevice>
#include <QPointingDevice>

#include <memory>

inline QApplication& TestApplication()
{
    struct Holder
    {
        int m_argc = 1;
        char m_name[12] = "tw-gui-test";
        char* m_argv[2] = {m_name, nullptr};
        std::unique_ptr<QApplication> m_application = std::make_unique<QApplication>(m_argc, m_argv);

        // Qt keeps its input devices in a list made on first use; made here,
        // before the holder is complete, it outlives the application at
        // exit (QtTest's simulated input would otherwise make it later, and
        // the application would be destroyed after it).
        Holder()
        {
            QInputDevice::primaryKeyboard();
            QPointingDevice::primaryPointingDevice();
        }
    };
    static Holder holder;
    return *holder.m_application;
}
