#pragma once
// Checks that a file is well-formed XML with "/usr/bin/xmllint --noout". A
// missing xmllint fails the check; it never passes silently.

#include <gtest/gtest.h>

#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

inline ::testing::AssertionResult IsWellFormedXml(const std::string& path)
{
    constexpr const char* kXmlLint = "/usr/bin/xmllint";
    if (::access(kXmlLint, X_OK) != 0)
        return ::testing::AssertionFailure() << kXmlLint << " is missing (install libxml2-utils)";
    std::string noout = "--noout";
    std::string file = path;
    char* argv[] = {const_cast<char*>(kXmlLint), noout.data(), file.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawn(&pid, kXmlLint, nullptr, nullptr, argv, environ) != 0)
        return ::testing::AssertionFailure() << "cannot start " << kXmlLint;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return ::testing::AssertionFailure() << "lost " << kXmlLint;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return ::testing::AssertionFailure() << kXmlLint << " rejects " << path;
    return ::testing::AssertionSuccess();
}
