#pragma once
// The large page the editor benchmarks work on: generated HTML lines, written
// once per run to a temporary file, loaded as a document is, and removed
// when the program ends.

#include "editor/EditTextBuffer.h"
#include "platform/core/Archive.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
constexpr size_t kFileBytes = 50u << 20;

// Lines of a long generated page: tags with attributes, text, comments,
// scripts and a few characters beyond ASCII.
std::string HtmlLine(std::mt19937& random)
{
    static const char* const lines[] = {
        "<tr><td class=\"name\"><a href=\"/harbour/ferry.html\">Ferry timetable</a></td><td>12:45</td></tr>",
        "  <p>The island walk starts at the bridge &amp; follows the river for 5 km.</p>",
        "<div id=\"news\" style=\"margin: 0 auto\"><img src=\"img/map.png\" alt='Karte der Insel'></div>",
        "<!-- updated by the council: market days move to Thursday -->",
        "<script type=\"text/javascript\">var x = a < b ? 1 : 2;</script>",
        "Größe und слово in one sentence of plain text, with no tag at all on this line.",
        "<li><a href=\"https://example.org/school?id=42&amp;view=full\">School</a></li>",
    };
    return lines[random() % std::size(lines)];
}

std::string GeneratePage(size_t bytes, int lines)
{
    std::mt19937 random(20261211);
    std::string page = "<html>\r\n<body>\r\n";
    int count = 2;
    while ((bytes && page.size() < bytes) || (lines && count < lines))
    {
        page += HtmlLine(random);
        page += "\r\n";
        ++count;
    }
    page += "</body></html>";
    return page;
}

std::string PagePath()
{
    return (std::filesystem::temp_directory_path() / ("tw_editor_bench_" + std::to_string(getpid()) + ".html"))
        .string();
}

// The 50 MB page file of this run.
const std::string& HtmlFile()
{
    static const std::string path = [] {
        const std::string name = PagePath();
        std::ofstream(name, std::ios::binary) << GeneratePage(kFileBytes, 0);
        return name;
    }();
    return path;
}

void Load(CEditTextBuffer& buffer, const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> bytes(std::filesystem::file_size(path));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    CArchive archive(bytes);
    buffer.Serialize(archive);
}

struct RemoveFile
{
    ~RemoveFile() { std::remove(PagePath().c_str()); }
} removeFile;
}
