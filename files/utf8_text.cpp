#include "files/utf8_text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// Length of the well-formed UTF-8 sequence at text[i], or 0 if there is none
// (stray continuation byte, overlong form, surrogate, beyond U+10FFFF, cut off).
size_t Utf8SequenceLength(const std::string& text, size_t i)
{
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80)
        return 1;
    size_t length;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char byte = static_cast<unsigned char>(text[i + k]);
        if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

bool IsUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8SequenceLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

#ifdef _WIN32
std::string FromCodePage(const std::string& raw)
{
    const UINT codePage = GetACP();
    const int size = static_cast<int>(raw.size());
    const int wideLength = MultiByteToWideChar(codePage, 0, raw.data(), size, nullptr, 0);
    if (wideLength <= 0)
        return std::string();
    std::wstring wide(wideLength, L'\0');
    MultiByteToWideChar(codePage, 0, raw.data(), size, &wide[0], wideLength);
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    std::string decoded(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &decoded[0], length, nullptr, nullptr);
    return decoded;
}
#else
void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Windows-1252 for 0x80..0x9F; its five unassigned bytes keep their Latin-1
// meaning, as every byte from 0xA0 on does.
const char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::string FromCodePage(const std::string& raw)
{
    std::string decoded;
    decoded.reserve(raw.size() * 2);
    for (const char byte : raw) {
        const unsigned char b = static_cast<unsigned char>(byte);
        AppendUtf8(decoded, b >= 0x80 && b < 0xA0 ? Windows1252High[b - 0x80] : b);
    }
    return decoded;
}
#endif

}  // namespace

std::string LegacyTextAsUtf8(const char* text)
{
    if (text == nullptr)
        return std::string();
    std::string raw(text);
    return IsUtf8(raw) ? raw : FromCodePage(raw);
}

std::string FirstCharacters(const std::string& text, size_t characters)
{
    size_t end = 0;
    for (size_t counted = 0; end < text.size() && counted < characters; ++counted) {
        // Past the lead byte and its continuation bytes.
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    return text.substr(0, end);
}

std::string WithLineBreakOpportunities(const std::string& text, size_t run)
{
    static const char ZeroWidthSpace[] = "\xe2\x80\x8b";
    std::string result;
    result.reserve(text.size());
    size_t unbroken = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool startsCharacter = (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || text.compare(i, 3, ZeroWidthSpace) == 0) {
            unbroken = 0;
        } else if (startsCharacter && unbroken++ == run) {
            result += ZeroWidthSpace;
            unbroken = 1;
        }
        result += c;
    }
    return result;
}
