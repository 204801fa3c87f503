#pragma once
// What the command line asks of a start: nothing (a new document, or the
// start-up action of the settings), or a document to open. The first
// argument that is not an option names the document; a relative file name
// is taken from the current folder, an address ("scheme://...") or local
// path text ("/...", "~/...", "file:...") stays as given. Options (text
// starting with '-') are left to Qt and otherwise ignored.

#include <string>
#include <vector>

class CCommandLineInfo
{
public:
    enum ShellCommand
    {
        FileNew,
        FileOpen,
    };

    // args without the program's own name.
    void Parse(const std::vector<std::string>& args);

    ShellCommand m_nShellCommand = FileNew;
    std::string m_strFileName;
};
