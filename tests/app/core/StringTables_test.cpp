// The English and Japanese UI string tables under resources/strings: both parse,
// carry the same keys and placeholders, and hold every key that the program's
// source code names.

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#ifndef QM_SOURCE_DIR
#error "QM_SOURCE_DIR must name the source tree"
#endif

namespace
{
namespace fs = std::filesystem;

const fs::path kSourceDir{QM_SOURCE_DIR};
const char* const kLanguages[] = {"en", "ja"};

// The one entry whose text may be empty: its text lists the audio devices to
// leave out of the device list, one a line, and that list is empty.
const std::set<std::string> kMayBeEmpty = {"Mac_ExcludedAudioDevice"};

// Functions that look a UI-string key up; a string literal that is a whole
// argument of one of them is a key.
const std::vector<std::string> kLookupFunctions = {"CBJXResource::GetString"};

// Names that look like keys but are registry value names (a literal that ends
// in "_" is the stem of a numbered family of such names and is skipped too).
const std::set<std::string> kStoredNames = {"Export_File_OutputPath",
                                            "Export_File_Format",
                                            "Export_File_Type",
                                            "Export_File_SampleRate",
                                            "Export_File_BitDepth",
                                            "Export_File_QualityOption",
                                            "Export_Common_Source",
                                            "Export_Common_DsdFilter",
                                            "Export_Common_NormalizeMode",
                                            "Export_Common_DitherType",
                                            "Export_Disc_TempDirectory",
                                            "Export_Disc_Format",
                                            "Export_Disc_Gap",
                                            "Export_Disc_EraseMode",
                                            "Export_Drive_Name",
                                            "Export_Num_Drives_Hides_Warnings"};

struct Entry
{
    std::string key;
    std::string text;
};

struct Table
{
    std::string parseError;
    std::string rootTag;
    std::string language;
    std::vector<Entry> entries;
    std::vector<std::string> malformed; // entries that are not empty elements with "Text"
};

Table loadTable(const std::string& language)
{
    Table table;
    const juce::File file(juce::String((kSourceDir / "resources" / "strings" / (language + ".xml")).string()));
    juce::XmlDocument document(file);
    const std::unique_ptr<juce::XmlElement> root = document.getDocumentElement();
    table.parseError = document.getLastParseError().toStdString();
    if (root == nullptr)
    {
        if (table.parseError.empty())
            table.parseError = "no document element in " + file.getFullPathName().toStdString();
        return table;
    }
    table.rootTag = root->getTagName().toStdString();
    table.language = root->getStringAttribute("Language").toStdString();
    for (const juce::XmlElement* child : root->getChildIterator())
    {
        const std::string key = child->getTagName().toStdString();
        if (!child->hasAttribute("Text") || child->getNumChildElements() != 0 || child->getAllSubText().isNotEmpty())
            table.malformed.push_back(key);
        table.entries.push_back({key, child->getStringAttribute("Text").toStdString()});
    }
    return table;
}

const Table& tableFor(const std::string& language)
{
    static const std::map<std::string, Table> tables = [] {
        std::map<std::string, Table> loaded;
        for (const char* language : kLanguages)
            loaded.emplace(language, loadTable(language));
        return loaded;
    }();
    return tables.at(language);
}

std::map<std::string, std::string> textsByKey(const Table& table)
{
    std::map<std::string, std::string> texts;
    for (const Entry& entry : table.entries)
        texts.emplace(entry.key, entry.text);
    return texts;
}

// Every "%" sequence of a text with the character after it ("%1", "%2", ...).
std::multiset<std::string> placeholdersOf(const std::string& text)
{
    std::multiset<std::string> found;
    for (std::size_t i = text.find('%'); i != std::string::npos; i = text.find('%', i + 1))
        found.insert(text.substr(i, 2));
    return found;
}

std::string joined(const std::vector<std::string>& items)
{
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : ", ") + item;
    return out;
}

// A string literal of the source code, the call it stands in (the qualified
// name before the nearest enclosing open parenthesis; empty when it is not
// inside a call) and whether it is a whole argument of that call.
struct Literal
{
    std::string text;
    std::string callee;
    bool wholeArgument = false;
    std::string where;
};

std::string calleeBefore(const std::string& code)
{
    int depth = 0;
    for (std::size_t i = code.size(); i-- > 0;)
    {
        const char c = code[i];
        if (c == ')')
            ++depth;
        else if (c == '(' && depth > 0)
            --depth;
        else if (c == '(')
        {
            std::size_t end = i;
            while (end > 0 && std::isspace(static_cast<unsigned char>(code[end - 1])))
                --end;
            std::size_t begin = end;
            while (begin > 0 && (std::isalnum(static_cast<unsigned char>(code[begin - 1])) || code[begin - 1] == '_' ||
                                 code[begin - 1] == ':'))
                --begin;
            return code.substr(begin, end - begin);
        }
        else if (c == ';' || c == '{' || c == '}')
            return {};
    }
    return {};
}

// Collects the string literals of one source file, skipping comments and
// character literals. The code between literals is kept to find the callee.
void collectLiterals(const fs::path& file, std::vector<Literal>& out)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string source = buffer.str();

    std::string code; // the file's code so far, literals replaced by ""
    std::size_t line = 1;
    for (std::size_t i = 0; i < source.size(); ++i)
    {
        const char c = source[i];
        const char next = i + 1 < source.size() ? source[i + 1] : '\0';
        if (c == '\n')
            ++line;
        if (c == '/' && next == '/')
        {
            i = source.find('\n', i);
            if (i == std::string::npos)
                break;
            --i;
            continue;
        }
        if (c == '/' && next == '*')
        {
            const std::size_t end = source.find("*/", i + 2);
            for (std::size_t j = i; j < std::min(end, source.size()); ++j)
                line += source[j] == '\n' ? 1 : 0;
            if (end == std::string::npos)
                break;
            i = end + 1;
            code += ' ';
            continue;
        }
        const char previous = code.empty() ? '\0' : code.back();
        const bool digitSeparator = std::isxdigit(static_cast<unsigned char>(previous)) &&
                                    !(previous == '8' && code.size() > 1 && code[code.size() - 2] == 'u');
        if (c == '\'' && !digitSeparator)
        {
            for (++i; i < source.size() && source[i] != '\''; ++i)
                i += source[i] == '\\' ? 1 : 0;
            code += "' '";
            continue;
        }
        if (c == '"')
        {
            const bool raw = !code.empty() && code.back() == 'R';
            std::string text;
            if (raw)
            {
                const std::size_t open = source.find('(', i);
                const std::string close = ")" + source.substr(i + 1, open - i - 1) + "\"";
                const std::size_t end = source.find(close, open);
                text = source.substr(open + 1, end - open - 1);
                line += static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
                i = end + close.size() - 1;
            }
            else
            {
                for (++i; i < source.size() && source[i] != '"'; ++i)
                {
                    if (source[i] == '\\' && i + 1 < source.size())
                        text += source[++i];
                    else
                        text += source[i];
                }
            }
            const std::size_t before = code.find_last_not_of(" \t\r\n");
            const std::size_t after = source.find_first_not_of(" \t\r\n", i + 1);
            const bool wholeArgument = before != std::string::npos && (code[before] == '(' || code[before] == ',') &&
                                       after != std::string::npos && (source[after] == ')' || source[after] == ',');
            out.push_back({text, calleeBefore(code), wholeArgument,
                           file.lexically_relative(kSourceDir).string() + ":" + std::to_string(line)});
            code += "\"\"";
            continue;
        }
        code += c;
    }
}

std::vector<Literal> sourceLiterals()
{
    std::vector<Literal> literals;
    for (const char* folder : {"app", "session", "ui", "engine", "disc"})
    {
        const fs::path root = kSourceDir / folder;
        if (!fs::is_directory(root))
            continue;
        for (const auto& item : fs::recursive_directory_iterator(root))
        {
            const std::string extension = item.path().extension().string();
            if (item.is_regular_file() && (extension == ".cpp" || extension == ".h"))
                collectLiterals(item.path(), literals);
        }
    }
    return literals;
}

// Letters and digits in two or more parts joined by single underscores,
// beginning with a letter: "Button_Ok", "Menu_Item_Skip1s".
bool isKeyShaped(const std::string& text)
{
    if (text.empty() || !std::isalpha(static_cast<unsigned char>(text.front())) || text.back() == '_')
        return false;
    bool underscore = false;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '_')
        {
            if (text[i - 1] == '_')
                return false;
            underscore = true;
        }
        else if (!std::isalnum(static_cast<unsigned char>(text[i])))
            return false;
    }
    return underscore;
}

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

TEST(StringTables, EachParsesAsItsLanguageWithOnlyTextEntries)
{
    for (const char* language : kLanguages)
    {
        SCOPED_TRACE(language);
        const Table& table = tableFor(language);
        ASSERT_EQ(table.parseError, "");
        EXPECT_EQ(table.rootTag, "Strings");
        EXPECT_EQ(table.language, language);
        EXPECT_EQ(joined(table.malformed), "");
        ASSERT_FALSE(table.entries.empty());

        std::set<std::string> seen;
        std::vector<std::string> duplicates, empty, rawBreaks;
        for (const Entry& entry : table.entries)
        {
            if (!seen.insert(entry.key).second)
                duplicates.push_back(entry.key);
            if (entry.text.empty() && kMayBeEmpty.count(entry.key) == 0)
                empty.push_back(entry.key);
            if (entry.text.find_first_of("\r\n\t") != std::string::npos)
                rawBreaks.push_back(entry.key); // line breaks are written "##"
        }
        EXPECT_EQ(joined(duplicates), "");
        EXPECT_EQ(joined(empty), "");
        EXPECT_EQ(joined(rawBreaks), "");

        // The look-and-feel picks its fonts and date format by this text.
        EXPECT_EQ(textsByKey(table)["Common_Language"], language);
    }
}

TEST(StringTables, EnglishAndJapaneseHaveTheSameKeysAndPlaceholders)
{
    const auto english = textsByKey(tableFor("en"));
    const auto japanese = textsByKey(tableFor("ja"));
    ASSERT_FALSE(english.empty());

    std::vector<std::string> onlyEnglish, onlyJapanese, placeholderMismatch, unknownPlaceholder;
    for (const auto& [key, text] : english)
    {
        const auto other = japanese.find(key);
        if (other == japanese.end())
        {
            onlyEnglish.push_back(key);
            continue;
        }
        const auto placeholders = placeholdersOf(text);
        if (placeholders != placeholdersOf(other->second))
            placeholderMismatch.push_back(key);
        for (const std::string& placeholder : placeholders)
            if (placeholder != "%1" && placeholder != "%2")
                unknownPlaceholder.push_back(key + " " + placeholder);
    }
    for (const auto& [key, text] : japanese)
        if (english.count(key) == 0)
            onlyJapanese.push_back(key);

    EXPECT_EQ(joined(onlyEnglish), "");
    EXPECT_EQ(joined(onlyJapanese), "");
    EXPECT_EQ(joined(placeholderMismatch), "");
    EXPECT_EQ(joined(unknownPlaceholder), "");
}

// Two ways a key reaches the tables from the code: as an argument of a lookup
// call, and as a literal handed on to be looked up later (a session's error key,
// a command's name). The second is recognised by the key's group prefix.
TEST(StringTables, EveryKeyNamedInTheSourceExists)
{
    const auto english = textsByKey(tableFor("en"));
    const auto japanese = textsByKey(tableFor("ja"));
    ASSERT_FALSE(english.empty());

    std::set<std::string> prefixes;
    for (const auto& [key, text] : english)
        prefixes.insert(key.substr(0, key.find('_')));

    std::vector<std::string> missing;
    for (const Literal& literal : sourceLiterals())
    {
        bool looksUp = false;
        for (const std::string& function : kLookupFunctions)
            looksUp = looksUp || (literal.wholeArgument && endsWith(literal.callee, function));

        const bool keyLike = isKeyShaped(literal.text) &&
                             prefixes.count(literal.text.substr(0, literal.text.find('_'))) != 0 &&
                             kStoredNames.count(literal.text) == 0;
        if (!looksUp && !keyLike)
            continue;
        if (english.count(literal.text) == 0 || japanese.count(literal.text) == 0)
            missing.push_back(literal.where + " \"" + literal.text + "\"");
    }
    EXPECT_EQ(joined(missing), "");
}
