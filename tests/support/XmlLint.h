#pragma once
// Checks a file with "/usr/bin/xmllint --noout": well-formed XML, or, with
// IsCleanHtml, HTML that the HTML parser reads without a single complaint
// (xmllint --html reports most faults as messages, not by its exit code, so
// any message fails). A missing xmllint fails the check; it never passes
// silently.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

extern char** environ;

inline ::testing::AssertionResult RunXmlLint(const std::string& path, bool html)
{
    constexpr const char* kXmlLint = "/usr/bin/xmllint";
    if (::access(kXmlLint, X_OK) != 0)
        return ::testing::AssertionFailure() << kXmlLint << " is missing (install libxml2-utils)";
    const std::string messagesPath = path + ".xmllint";
    std::string htmlFlag = "--html";
    std::string noout = "--noout";
    std::string file = path;
    char* xmlArgv[] = {const_cast<char*>(kXmlLint), noout.data(), file.data(), nullptr};
    char* htmlArgv[] = {const_cast<char*>(kXmlLint), htmlFlag.data(), noout.data(), file.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, messagesPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, kXmlLint, &actions, nullptr, html ? htmlArgv : xmlArgv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return ::testing::AssertionFailure() << "cannot start " << kXmlLint;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return ::testing::AssertionFailure() << "lost " << kXmlLint;
    std::ifstream in(messagesPath);
    std::stringstream messages;
    messages << in.rdbuf();
    ::unlink(messagesPath.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || (html && !messages.str().empty()))
        return ::testing::AssertionFailure() << kXmlLint << " rejects " << path << "\n" << messages.str();
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult IsWellFormedXml(const std::string& path)
{
    return RunXmlLint(path, false);
}

inline ::testing::AssertionResult IsCleanHtml(const std::string& path)
{
    return RunXmlLint(path, true);
}
