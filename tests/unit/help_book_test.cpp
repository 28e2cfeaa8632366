// The help books stay whole: every page is reachable from the contents, every
// link and picture resolves inside its book, every file a page needs goes into
// the compiled book, and each translation has the same pages and pictures as
// the English book.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

const fs::path EnglishBook = fs::path(VITREL_SOURCE_DIR) / "docs" / "help";
const char* const Translations[] = {"de"};
const char* const ProjectFiles[] = {"VitrelHelp.hhp", "VitrelHelp.hhc", "VitrelHelp.hhk"};

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every first capture group of `pattern` in `text`.
std::vector<std::string> Captures(const std::string& text, const char* pattern)
{
    std::vector<std::string> found;
    const std::regex expression(pattern, std::regex::icase);
    for (std::sregex_iterator it(text.begin(), text.end(), expression), end; it != end; ++it)
        found.push_back((*it)[1].str());
    return found;
}

// One book: a folder holding its pages, pictures and help project.
struct Book {
    fs::path folder;

    std::set<std::string> Files(const char* extension = nullptr) const
    {
        std::set<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (!entry.is_regular_file())
                continue;
            const std::string name = entry.path().filename().string();
            if (extension == nullptr || entry.path().extension() == extension)
                names.insert(name);
        }
        return names;
    }

    // The files the project compiles into the book ([FILES] of the .hhp).
    std::set<std::string> ProjectList() const
    {
        std::set<std::string> listed;
        std::istringstream lines(ReadFile(folder / "VitrelHelp.hhp"));
        bool inFiles = false;
        for (std::string line; std::getline(lines, line);) {
            line.erase(line.find_last_not_of("\r\n ") + 1);
            if (!line.empty() && line[0] == '[')
                inFiles = line == "[FILES]";
            else if (inFiles && !line.empty())
                listed.insert(line);
        }
        return listed;
    }

    // The pages (with any #anchor) that the contents or the index lead to.
    std::vector<std::string> Targets(const char* project) const
    {
        return Captures(ReadFile(folder / project), R"(<param name="Local" value="([^"]*)\")");
    }
};

std::vector<Book> AllBooks()
{
    std::vector<Book> books {{EnglishBook}};
    for (const char* language : Translations)
        books.push_back({EnglishBook / language});
    return books;
}

std::string PageOf(const std::string& target)
{
    return target.substr(0, target.find('#'));
}

// Whether `target` ("page.html" or "page.html#anchor") is a page of the book
// and, when it names an anchor, the page has it.
bool Resolves(const Book& book, const std::string& target)
{
    const fs::path page = book.folder / PageOf(target);
    if (!fs::is_regular_file(page))
        return false;
    const std::string::size_type hash = target.find('#');
    if (hash == std::string::npos)
        return true;
    const std::string anchor = target.substr(hash + 1);
    const std::string text = ReadFile(page);
    return text.find("name=\"" + anchor + "\"") != std::string::npos
           || text.find("id=\"" + anchor + "\"") != std::string::npos;
}

}  // namespace

TEST(HelpBook, EveryPageIsInTheContentsAndEveryContentsOrIndexEntryResolves)
{
    for (const Book& book : AllBooks()) {
        std::set<std::string> inContents;
        for (const std::string& target : book.Targets("VitrelHelp.hhc")) {
            EXPECT_TRUE(Resolves(book, target)) << book.folder << ": contents entry " << target;
            inContents.insert(PageOf(target));
        }
        for (const std::string& page : book.Files(".html"))
            EXPECT_TRUE(inContents.count(page)) << book.folder << ": " << page << " is not in the contents";
        for (const std::string& target : book.Targets("VitrelHelp.hhk"))
            EXPECT_TRUE(Resolves(book, target)) << book.folder << ": index entry " << target;
    }
}

TEST(HelpBook, EveryLinkAndPictureResolvesInsideItsBookAndIsCompiledIn)
{
    for (const Book& book : AllBooks()) {
        const std::set<std::string> compiled = book.ProjectList();
        for (const std::string& page : book.Files(".html")) {
            const std::string text = ReadFile(book.folder / page);
            for (const std::string& link : Captures(text, R"(<a\s[^>]*href="([^"]*)\")")) {
                if (link.rfind("http", 0) == 0)
                    continue;  // a web address outside the book
                const std::string target = link[0] == '#' ? page + link : link;
                EXPECT_TRUE(Resolves(book, target)) << book.folder << "/" << page << ": link " << link;
            }
            std::vector<std::string> used = Captures(text, R"(<img\s[^>]*src="([^"]*)\")");
            for (const std::string& sheet : Captures(text, R"(<link\s[^>]*href="([^"]*)\")"))
                used.push_back(sheet);
            for (const std::string& file : used) {
                EXPECT_TRUE(fs::is_regular_file(book.folder / file))
                    << book.folder << "/" << page << ": " << file;
                EXPECT_TRUE(compiled.count(file))
                    << book.folder << "/" << page << ": " << file << " is not in the project's [FILES]";
            }
            EXPECT_TRUE(compiled.count(page)) << book.folder << ": " << page << " is not in [FILES]";
        }
        // Nothing listed is missing, and nothing lies in the book unlisted.
        std::set<std::string> present = book.Files();
        for (const char* project : ProjectFiles) {
            EXPECT_TRUE(present.erase(project)) << book.folder << ": no " << project;
        }
        EXPECT_EQ(present, compiled) << book.folder;
    }
}

TEST(HelpBook, EveryTranslationHasThePagesAndPicturesOfTheEnglishBook)
{
    const Book english {EnglishBook};
    for (const Book& book : AllBooks())
        EXPECT_EQ(book.ProjectList(), english.ProjectList()) << book.folder;
}

TEST(HelpBook, PagesDeclareTheirEncodingAndProjectFilesAreAscii)
{
    // The help viewers read a page without a declared charset as Latin-1, and
    // a contents file in the code page of the book's language: the pages say
    // UTF-8, and the project files spell other letters as character references.
    for (const Book& book : AllBooks()) {
        for (const std::string& page : book.Files(".html"))
            EXPECT_NE(ReadFile(book.folder / page).find("charset=utf-8"), std::string::npos)
                << book.folder << "/" << page;
        for (const char* project : ProjectFiles) {
            const std::string text = ReadFile(book.folder / project);
            EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; }))
                << book.folder << "/" << project;
        }
    }
}

// The pages of both books tell of the drawn pattern where the window shows
// one, and README.md leaves the version to CMakeLists.txt.
TEST(HelpBook, PagesTellOfTheDrawnPatternAndTheReadmeNamesNoVersion)
{
    const struct {
        fs::path folder;
        const char* drawing;
    } books[] = {{EnglishBook, "A drawing"}, {EnglishBook / "de", "Eine Zeichnung"}};
    for (const auto& book : books)
        for (const char* page : {"treatments.html", "advanced.html"})
            EXPECT_NE(ReadFile(book.folder / page).find(book.drawing), std::string::npos)
                << book.folder / page;
    const std::string readme = ReadFile(fs::path(VITREL_SOURCE_DIR) / "README.md");
    EXPECT_FALSE(std::regex_search(readme, std::regex("vitrel_[0-9]"))) << "README.md names a version";
}
