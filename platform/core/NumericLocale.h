#pragma once
// The program formats and parses numbers the same way whatever locale the C
// library was set to (Qt sets the user's locale at start-up, and a German
// LC_NUMERIC would turn "0.98" into "0,98" in printf and cut "1.5" to 1 in
// strtod). These helpers give the "C" conventions to one call or one scope.

#include <clocale>
#include <locale.h>

// A process-wide "C" locale object for the *_l functions; created on first
// use and never freed. (locale_t)0 only when the C library could not create
// it, which leaves the calling thread's locale in force.
locale_t GetCLocale();

// Makes the calling thread use the "C" locale until the end of the scope,
// then restores what the thread used before (per-thread, so other threads
// are not affected).
class CScopedCLocale
{
public:
    CScopedCLocale();
    ~CScopedCLocale();

    CScopedCLocale(const CScopedCLocale&) = delete;
    CScopedCLocale& operator=(const CScopedCLocale&) = delete;

private:
    locale_t m_previous = (locale_t)0;
};
