#pragma once
// A locale with a decimal comma, by the name the C library knows it under.

#ifdef _WIN32
constexpr const char* GermanLocale = "German_Germany.1252";
#else
constexpr const char* GermanLocale = "de_DE.UTF-8";
#endif
