#pragma once
// Whole-file reads and writes for tests that set up or check files byte for byte.

#include <fstream>
#include <sstream>
#include <string>

inline std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteWhole(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}
