#include "shell/CommandLineInfo.h"

#include "foundation/files/PathUtils.h"

#include <QDir>
#include <QString>

void CCommandLineInfo::Parse(const std::vector<std::string>& args)
{
    for (const std::string& arg : args)
    {
        if (arg.empty() || arg[0] == '-')
            continue;
        m_nShellCommand = FileOpen;
        if (IsLocalPath(arg) || arg.find("://") != std::string::npos)
            m_strFileName = arg;
        else
            m_strFileName = QDir::current().absoluteFilePath(QString::fromStdString(arg)).toStdString();
        return;
    }
}
