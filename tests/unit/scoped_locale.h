#pragma once
// Switches one locale category for the life of the object and puts the
// previous setting back afterwards, also when an assertion ends the test early.

#include <clocale>
#include <string>

// A locale with a decimal comma, by the name the C library knows it under.
#ifdef _WIN32
constexpr const char* GermanLocale = "German_Germany.1252";
#else
constexpr const char* GermanLocale = "de_DE.UTF-8";
#endif

class ScopedLocale {
public:
    ScopedLocale(int category, const char* name)
        : category(category),
          previous(std::setlocale(category, nullptr)),
          active(std::setlocale(category, name) != nullptr)
    { }
    ~ScopedLocale() { std::setlocale(category, previous.c_str()); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    // False when the locale is not installed (the category is unchanged).
    bool Active() const { return active; }

private:
    int category;
    std::string previous;
    bool active;
};
