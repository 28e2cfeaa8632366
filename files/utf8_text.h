#pragma once
// UTF-8 text as the data files hold it and as the window shows it.

#include <string>

// Texts in the XML files are UTF-8. Older versions stored them in the
// Windows code page; a text that is not valid UTF-8 is such a text, and is
// decoded as a whole from the system code page on Windows (GetACP) and from
// Windows-1252 elsewhere. Null gives "".
std::string LegacyTextAsUtf8(const char* text);

// The longest start of the UTF-8 `text` that holds at most `characters`
// characters (code points).
std::string FirstCharacters(const std::string& text, size_t characters);

// text with a zero-width space after every `run` characters that follow one
// another without white space. Without such a break opportunity the toolkit's
// line wrapping takes time that grows with the square of the run's length.
std::string WithLineBreakOpportunities(const std::string& text, size_t run);
