// The README lists the window's keys and the JSON keys of ondulo-dump. The
// manual pages must list the same, the JSON example of ondulo-dump's page
// must be what the program prints, and the program must write no key the
// README does not list.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/corpus.h"
#include "support/manual_text.h"
#include "support/run_dump.h"
#include "support/scratch_dir.h"

namespace {

using Names = std::set<std::string>;

// A JSON key with the key whose object holds it ("" for the document itself):
// "files.path", "findings.offset", ".files".
std::string Member(const std::string& container, const std::string& key) { return container + "." + key; }

// The keys named in the tags of a manual page's KEYS section.
Names ManualKeys(const std::string& page) {
    Names keys;
    for (const wavtest::ManualItem& item : wavtest::SectionItems(page, "KEYS")) {
        for (const std::string& key : wavtest::TagWords(item.tag)) keys.insert(key);
    }
    return keys;
}

// The keys of the README's table of keys.
Names ReadmeKeys(const std::string& readme) {
    Names keys;
    for (const std::vector<std::string>& row : wavtest::MarkdownTable(readme, "Key")) {
        for (const std::string& key : wavtest::CodeSpans(row.at(0))) keys.insert(key);
    }
    return keys;
}

// The JSON section of a manual page names each subsection after the key whose
// objects it describes, "The document" for the document itself.
Names ManualJsonKeys(const std::string& page) {
    Names keys;
    for (const wavtest::ManualItem& item : wavtest::SectionItems(page, "JSON")) {
        const std::string container = item.subsection == "The document" ? "" : item.subsection;
        for (const std::string& key : wavtest::TagWords(item.tag)) keys.insert(Member(container, key));
    }
    return keys;
}

// The README's table of JSON keys: its "In" column names the key whose
// objects hold them, or "the document".
Names ReadmeJsonKeys(const std::string& readme) {
    Names keys;
    for (const std::vector<std::string>& row : wavtest::MarkdownTable(readme, "JSON key")) {
        const std::vector<std::string> in = wavtest::CodeSpans(row.at(1));
        const std::string container = in.empty() ? "" : in.front();
        for (const std::string& key : wavtest::CodeSpans(row.at(0))) keys.insert(Member(container, key));
    }
    return keys;
}

// Every key of a JSON document. An array hands its container on to the
// objects in it; a list's children are structure entries; the members of
// by_code are finding codes, not keys.
Names JsonKeys(const std::string& json) {
    struct Open {
        bool object;
        std::string container;
    };
    std::vector<Open> open;
    Names keys;
    std::string lastKey;
    bool keyNext = false;
    for (std::size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (c == '"') {
            std::string text;
            for (++i; i < json.size() && json[i] != '"'; ++i) {
                if (json[i] == '\\') ++i;
                text += json[i];
            }
            if (keyNext && open.back().container != "by_code")
                keys.insert(Member(open.back().container, text));
            if (keyNext) lastKey = text;
            keyNext = false;
        } else if (c == '{' || c == '[') {
            std::string container = open.empty() ? "" : open.back().object ? lastKey : open.back().container;
            open.push_back({c == '{', container == "children" ? "structure" : container});
            keyNext = c == '{';
        } else if (c == '}' || c == ']') {
            open.pop_back();
        } else if (c == ',') {
            keyNext = open.back().object;
        }
    }
    return keys;
}

// JSON without the blanks between its tokens, so that two layouts of one
// document compare equal.
std::string WithoutLayout(const std::string& json) {
    std::string bare;
    bool inString = false;
    for (std::size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (inString && c == '\\') {
            bare += json.substr(i++, 2);
            continue;
        }
        if (c == '"') inString = !inString;
        if (inString || !std::isspace(static_cast<unsigned char>(c))) bare += c;
    }
    return bare;
}

// The ".EX" blocks of the JSON section as plain text ("\e" a backslash, "\-"
// a hyphen): the command, then what it prints.
std::vector<std::string> ManualJsonExamples(const std::string& page) {
    std::vector<std::string> examples;
    bool inSection = false;
    bool inExample = false;
    for (const std::string& line : wavtest::Lines(page)) {
        if (line.rfind(".SH", 0) == 0) inSection = line == ".SH JSON";
        if (!inSection) continue;
        if (line == ".EX" || line == ".EE") {
            inExample = line == ".EX";
            if (inExample) examples.emplace_back();
            continue;
        }
        if (!inExample) continue;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                ++i;
                examples.back() += line[i] == 'e' ? '\\' : line[i];
            } else {
                examples.back() += line[i];
            }
        }
        examples.back() += '\n';
    }
    return examples;
}

TEST(ReadmeLists, JsonKeysAreReadFromTheirObjects) {
    const std::string json =
        R"({"files": [{"path": "a \"b\": {c}", "structure": [{"id": "LIST", "children": [{"id": "x"}]}],)"
        R"( "finding_counts": {"by_code": {"loop-type": 1}}, "rows": [["k", "v"]]}]})";
    EXPECT_EQ(JsonKeys(json),
              (Names{".files", "files.path", "files.structure", "structure.id", "structure.children",
                     "files.finding_counts", "finding_counts.by_code", "files.rows"}));
    EXPECT_EQ(WithoutLayout("{\"a b\": [1,\n  2], \"c\\\" d\": null}"), "{\"a b\":[1,2],\"c\\\" d\":null}");
}

TEST(ReadmeLists, TheWindowsManualListsTheKeysOfTheReadme) {
    const Names readme = ReadmeKeys(wavtest::ReadBytes(ONDULO_README));
    ASSERT_TRUE(readme.contains("F1") && readme.contains("Ctrl+C"))
        << "no table of keys in " << ONDULO_README;
    EXPECT_EQ(ManualKeys(wavtest::ReadBytes(ONDULO_MANUAL)), readme) << "the KEYS of " << ONDULO_MANUAL;
}

TEST(ReadmeLists, TheDumpsManualListsTheJsonKeysOfTheReadme) {
    const Names readme = ReadmeJsonKeys(wavtest::ReadBytes(ONDULO_README));
    ASSERT_TRUE(readme.contains(".files") && readme.contains("findings.chunk_offset"))
        << "no table of JSON keys in " << ONDULO_README;
    EXPECT_EQ(ManualJsonKeys(wavtest::ReadBytes(ONDULO_DUMP_MANUAL)), readme)
        << "the JSON section of " << ONDULO_DUMP_MANUAL;
}

// The example is a real file of the corpus; the page shows the command too.
TEST(ReadmeLists, TheDumpsManualShowsWhatTheProgramPrints) {
    const std::vector<std::string> examples = ManualJsonExamples(wavtest::ReadBytes(ONDULO_DUMP_MANUAL));
    ASSERT_EQ(examples.size(), 2u) << "a command and what it prints";
    std::vector<std::string> command = wavtest::Words(examples[0]);
    ASSERT_EQ(command.at(0), "ondulo-dump");
    command.erase(command.begin());
    const wavtest::DumpRun run = wavtest::RunDump(command, {wavtest::CorpusDir(), ""});
    ASSERT_EQ(run.exitStatus, 0) << run.errors;
    EXPECT_EQ(WithoutLayout(examples[1]), WithoutLayout(run.out));
}

TEST(ReadmeLists, TheDumpWritesOnlyKeysTheReadmeLists) {
    // Measuring adds the keys of the measured sound.
    for (const char* measure : {"--json", "--measure"}) {
        std::vector<std::string> arguments{"--json", measure};
        for (const auto& file : std::filesystem::directory_iterator(wavtest::CorpusDir())) {
            if (file.path().extension() == ".wav") arguments.push_back(file.path().filename().string());
        }
        const wavtest::DumpRun run = wavtest::RunDump(arguments, {wavtest::CorpusDir(), ""});
        const Names written = JsonKeys(run.out);
        ASSERT_TRUE(written.contains("files.also_in_file")) << run.out.substr(0, 500);
        EXPECT_EQ(written.contains("channel_peaks.clipped"), std::string(measure) == "--measure");
        const Names listed = ReadmeJsonKeys(wavtest::ReadBytes(ONDULO_README));
        for (const std::string& key : written)
            EXPECT_TRUE(listed.contains(key)) << key << " is not in the README";
    }
}

}  // namespace
