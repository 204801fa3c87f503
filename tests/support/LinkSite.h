#pragma once
// A small local site for the link views' tests: a start page with a page, a
// text file, a missing page, a page in a subfolder and an image; a second
// page with a link back, one onward and one missing. Optionally the
// subfolder's page also holds a form.

#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"

#include <filesystem>
#include <string>

struct LinkSiteOptions
{
    std::string m_notes = "plain notes\n"; // the text file's content
    bool m_form = false;                    // a form on site/sub/c.html
};

inline void MakeLinkSite(const CTempFolder& folder, const LinkSiteOptions& options = {})
{
    std::filesystem::create_directories(folder / "site/sub");
    WriteWhole(folder / "site/index.html", "<html><body><a href=\"a.html\">A</a> <a href=\"notes.txt\">notes</a>\n"
                                           "<a href=\"missing.html\">gone</a> <a href=\"sub/c.html\">C</a>\n"
                                           "<img src=\"pic.png\"></body></html>\n");
    WriteWhole(folder / "site/a.html", "<html><body><a href=\"index.html\">home</a> <a href=\"sub/c.html\">C</a>\n"
                                       "<a href=\"sub/none.html\">none</a></body></html>\n");
    const std::string form = options.m_form ? "\n<form action=\"find.cgi\" method=\"get\">"
                                              "<input type=\"text\" name=\"q\" value=\"word\">"
                                              "<input type=\"submit\" name=\"go\" value=\"Go\"></form>"
                                            : "";
    WriteWhole(folder / "site/sub/c.html", "<html><body><a href=\"../a.html\">back</a>" + form + "</body></html>\n");
    WriteWhole(folder / "site/notes.txt", options.m_notes);
    WriteWhole(folder / "site/pic.png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, '\0'));
}
