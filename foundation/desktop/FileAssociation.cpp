#include "foundation/desktop/FileAssociation.h"

#include "foundation/desktop/AppIdentity.h"
#include "foundation/text/Escaping.h"
#include "platform/core/AtomicFile.h"
#include "platform/core/PosixFile.h"
#include "platform/core/RunProgram.h"
#include "platform/core/Text.h"
#include "platform/core/XdgFolders.h"

#include <chrono>

namespace
{
constexpr auto kUpdateBound = std::chrono::seconds(20);

bool IsNameText(const std::string& text)
{
    if (text.empty())
        return false;
    for (char c : text)
    {
        const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && c != '.' && c != '_' && c != '+' && c != '-')
            return false;
    }
    return true;
}

bool HasControlCharacters(const std::string& text)
{
    for (char c : text)
    {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return true;
    }
    return false;
}

// A string value of a desktop entry: '\' doubled (the other escapes are for
// control characters, which never get here).
std::string EscapeDesktopValue(const std::string& text)
{
    std::string out;
    for (char c : text)
    {
        if (c == '\\')
            out += "\\\\";
        else
            out.push_back(c);
    }
    return out;
}

// One argument of an Exec value: quoted when it holds a reserved character,
// with '"', '`', '$' and '\' escaped inside the quotes; '%' doubled.
std::string QuoteExecArgument(const std::string& argument)
{
    static const char kReserved[] = " \t\n\"'\\><~|&;$*?#()`";
    std::string escaped;
    for (char c : argument)
    {
        if (c == '%')
            escaped += "%%";
        else
            escaped.push_back(c);
    }
    if (argument.find_first_of(kReserved) == std::string::npos)
        return escaped;
    std::string quoted = "\"";
    for (char c : escaped)
    {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted.push_back('\\');
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

// Writes the file unless it already holds exactly content. changed tells
// whether it was written.
bool WriteIfDifferent(const std::string& path, const std::string& content, bool& changed)
{
    // One byte more than content, so that a longer file differs.
    std::string old;
    if (PosixReadFileHead(path, content.size() + 1, old) && old == content)
        return true;
    changed = true;
    return WriteFileAtomic(path, content, 0644);
}
} // namespace

std::string MakeDesktopExec(const std::string& command)
{
    if (command.find("%1") == std::string::npos)
        return QuoteExecArgument(command) + " %f";
    // A command line given whole: only its file placeholder is translated.
    std::string exec;
    for (size_t i = 0; i < command.size();)
    {
        if (command.compare(i, 4, "\"%1\"") == 0)
        {
            exec += "%f";
            i += 4;
        }
        else if (command.compare(i, 2, "%1") == 0)
        {
            exec += "%f";
            i += 2;
        }
        else if (command[i] == '%')
        {
            exec += "%%";
            ++i;
        }
        else
        {
            exec.push_back(command[i++]);
        }
    }
    return exec;
}

bool RegisterFileAssociation(const std::string& extension, const std::string& command,
                             const std::string& typeName)
{
    if (extension.empty() || command.empty() || typeName.empty())
        return false;
    const std::string suffix = extension[0] == '.' ? extension.substr(1) : extension;
    if (!IsNameText(suffix) || !IsNameText(typeName) || HasControlCharacters(command))
        return false;
    const std::string dataHome = TrimRight(GetXdgDataHome(), "/");
    if (dataHome.empty())
        return false;

    const std::string name = MakeLower(typeName);
    const std::string mimeType = "application/x-" + name;
    std::string product = GetAppIdentity().GetString(CAppIdentity::kProduct);
    if (product.empty() || HasControlCharacters(product))
        product = typeName;

    const std::string package =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"" +
        mimeType +
        "\">\n"
        "    <comment>" +
        EscapeXmlEntities(typeName) +
        "</comment>\n"
        "    <glob pattern=\"*." +
        suffix +
        "\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n";
    const std::string entry = "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=" +
                              EscapeDesktopValue(product) +
                              "\n"
                              "Exec=" +
                              EscapeDesktopValue(MakeDesktopExec(command)) +
                              "\n"
                              "MimeType=" +
                              mimeType +
                              ";\n"
                              "NoDisplay=true\n"
                              "Terminal=false\n";

    const std::string mimeFolder = dataHome + "/mime";
    const std::string applications = dataHome + "/applications";
    if (!PosixCreateDirectories(mimeFolder + "/packages", 0700) ||
        !PosixCreateDirectories(applications, 0700))
        return false;
    bool mimeChanged = false;
    bool entryChanged = false;
    if (!WriteIfDifferent(mimeFolder + "/packages/" + name + ".xml", package, mimeChanged) ||
        !WriteIfDifferent(applications + "/" + name + ".desktop", entry, entryChanged))
        return false;

    if (mimeChanged)
        RunProgramAndWait({"update-mime-database", mimeFolder}, kUpdateBound);
    if (entryChanged)
        RunProgramAndWait({"update-desktop-database", applications}, kUpdateBound);
    return true;
}
