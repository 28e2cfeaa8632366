#include "treatments/catalogue_scan.h"

#include <cstring>

#include <tinyxml2.h>

namespace {

const std::string_view RootName = "VitrelTreatmentsList";
const std::string_view TreatmentName = "Treatment";

// Deeper files are left to the library (it refuses nesting beyond 100).
constexpr int MaxDepth = 50;

// Where an element sits, as far as the catalogue cares.
enum class Role { Top, Root, Treatment, Field, Other };

// What each byte may be, looked up once per byte.
enum CharacterKind : unsigned char {
    Space = 1,
    NameStart = 2,
    NameChar = 4,
    OtherNameChar = 8,  // a name character of the library's that the scan does not take
};

struct CharacterKinds {
    unsigned char kind[256] = {};

    constexpr CharacterKinds()
    {
        for (const char c : {' ', '\t', '\n', '\v', '\f', '\r'})
            kind[static_cast<unsigned char>(c)] = Space;
        for (int c = 0; c < 256; ++c) {
            const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
            if (letter)
                kind[c] = NameStart | NameChar;
            else if ((c >= '0' && c <= '9') || c == '.' || c == '-')
                kind[c] = NameChar;
            else if (c == ':' || c >= 0x80)
                kind[c] = OtherNameChar;
        }
    }

    bool Is(char c, CharacterKind k) const { return (kind[static_cast<unsigned char>(c)] & k) != 0; }
};

constexpr CharacterKinds Kinds;

bool IsSpace(char c)
{
    return Kinds.Is(c, Space);
}
bool IsNameStart(char c)
{
    return Kinds.Is(c, NameStart);
}
bool IsNameChar(char c)
{
    return Kinds.Is(c, NameChar);
}
bool IsOtherNameChar(char c)
{
    return Kinds.Is(c, OtherNameChar);
}

class Scanner {
public:
    Scanner(std::string_view text, CatalogueScan& scan) : text(text), scan(scan) { }

    bool Document()
    {
        if (std::memchr(text.data(), '\0', text.size()) != nullptr)
            return false;  // the library stops reading there
        SkipSpace();
        if (text.compare(at, 3, "\xEF\xBB\xBF") == 0)
            at += 3;
        bool declarationsOnly = true;
        for (;;) {
            SkipSpace();
            if (at == text.size())
                return rootSeen;
            if (text.compare(at, 2, "<?") == 0) {
                // Declarations only before anything else.
                if (!declarationsOnly)
                    return false;
                const size_t close = text.find("?>", at + 2);
                if (close == std::string_view::npos)
                    return false;
                at = close + 2;
                continue;
            }
            declarationsOnly = false;
            if (text[at] != '<' || !Element(0, Role::Top))
                return false;
        }
    }

private:
    // The byte `offset` places on, or NUL past the end.
    char At(size_t offset) const { return at + offset < text.size() ? text[at + offset] : '\0'; }

    void SkipSpace()
    {
        while (at < text.size() && IsSpace(text[at]))
            ++at;
    }

    // A name at `at`, as the scan takes it; empty when there is none.
    std::string_view Name()
    {
        const size_t start = at;
        if (at < text.size() && IsNameStart(text[at])) {
            ++at;
            while (at < text.size() && IsNameChar(text[at]))
                ++at;
        }
        if (at < text.size() && IsOtherNameChar(text[at]))
            return {};
        return text.substr(start, at - start);
    }

    static Role ChildRole(Role parent, std::string_view name, bool& rootSeen)
    {
        switch (parent) {
            case Role::Top:
                if (name == RootName && !rootSeen) {
                    rootSeen = true;
                    return Role::Root;
                }
                return Role::Other;
            case Role::Root:
                return name == TreatmentName ? Role::Treatment : Role::Other;
            case Role::Treatment:
                return Role::Field;
            default:
                return Role::Other;
        }
    }

    // The element whose '<' is at `at`, with all it holds.
    bool Element(int depth, Role parent)
    {
        if (depth > MaxDepth)
            return false;
        ++at;
        const std::string_view name = Name();
        if (name.empty())
            return false;
        const Role role = ChildRole(parent, name, rootSeen);
        SkipSpace();
        const bool empty = At(0) == '/' && At(1) == '>';
        if (!empty && At(0) != '>')
            return false;  // attributes, or not well formed
        at += empty ? 2 : 1;

        size_t field = 0;
        if (role == Role::Field) {
            field = scan.children.size();
            scan.children.push_back({name, {}, false});
        } else if (role == Role::Treatment) {
            scan.treatments.push_back({scan.children.size(), scan.children.size()});
        }
        if (!empty && !Content(depth, role, name, field))
            return false;
        if (role == Role::Treatment)
            scan.treatments.back().end = scan.children.size();
        return true;
    }

    // What an open element holds, up to and with its end tag.
    bool Content(int depth, Role role, std::string_view name, size_t field)
    {
        bool firstNode = true;
        for (;;) {
            const size_t start = at;
            SkipSpace();
            if (at == text.size())
                return false;
            if (text[at] == '<') {
                // White space before a tag is no text for the library.
                if (At(1) == '/') {
                    at += 2;
                    if (Name() != name)
                        return false;
                    SkipSpace();
                    if (At(0) != '>')
                        return false;
                    ++at;
                    return true;
                }
                if (!Element(depth + 1, role))
                    return false;
            } else {
                // Text, from where the white space began, up to the next tag.
                const size_t end = text.find('<', at);
                if (end == std::string_view::npos)
                    return false;
                if (firstNode && role == Role::Field && !Text(text.substr(start, end - start), field))
                    return false;
                at = end;
            }
            firstNode = false;
        }
    }

    // The text as the library gives it: entities replaced and line ends made
    // line feeds, by the library itself.
    bool Text(std::string_view raw, size_t field)
    {
        CatalogueChild& child = scan.children[field];
        child.hasText = true;
        if (raw.find_first_of("&\r") == std::string_view::npos) {
            child.text = raw;
            return true;
        }
        std::string snippet = "<a>";
        snippet.append(raw).append("</a>");
        tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
        if (document.Parse(snippet.c_str(), snippet.size()) != tinyxml2::XML_SUCCESS)
            return false;
        const char* decoded = document.FirstChildElement()->GetText();
        scan.decoded.emplace_back(decoded ? decoded : "");
        child.text = scan.decoded.back();
        return true;
    }

    std::string_view text;
    CatalogueScan& scan;
    size_t at = 0;
    bool rootSeen = false;
};

}  // namespace

bool ScanPlainCatalogue(std::string_view text, CatalogueScan& scan)
{
    scan = CatalogueScan();
    // About one child per 20 bytes in a catalogue of long patterns.
    scan.children.reserve(text.size() / 20);
    return Scanner(text, scan).Document();
}
