#pragma once

#include <sstream>
#include <string>
#include <vector>

// Reading the manual pages and the README as a test compares them: roff as
// plain text, the tagged items of a section, the rows of a Markdown table.
namespace wavtest {

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Roff as plain text: "\-" is a hyphen, font changes ("\fB") and the quotes
// around macro arguments go.
inline std::string PlainRoff(const std::string& roff) {
    std::string plain;
    for (std::size_t i = 0; i < roff.size(); ++i) {
        if (roff.compare(i, 2, "\\-") == 0) {
            plain += '-';
            ++i;
        } else if (roff.compare(i, 2, "\\f") == 0 && i + 2 < roff.size()) {
            i += 2;
        } else if (roff[i] != '"') {
            plain += roff[i];
        }
    }
    return plain;
}

// One ".TP" item of a section: its tag (the line after ".TP", as plain text)
// and the ".SS" subsection it stands in ("" before any).
struct ManualItem {
    std::string subsection;
    std::string tag;
};

// The items of the ".SH" section whose title holds `section`.
inline std::vector<ManualItem> SectionItems(const std::string& page, const std::string& section) {
    std::vector<ManualItem> items;
    bool inSection = false;
    bool nextIsTag = false;
    std::string subsection;
    for (const std::string& line : Lines(page)) {
        if (line.rfind(".SH", 0) == 0) {
            inSection = PlainRoff(line.substr(3)).find(section) != std::string::npos;
            subsection.clear();
        } else if (inSection && line.rfind(".SS ", 0) == 0) {
            subsection = PlainRoff(line.substr(4));
        } else if (inSection && nextIsTag) {
            items.push_back({subsection, PlainRoff(line)});
        }
        nextIsTag = inSection && line.rfind(".TP", 0) == 0;
    }
    return items;
}

// The words of a tag that are not a macro name, split at blanks and commas:
// ".BR Alt+F ,  Alt+H" gives {"Alt+F", "Alt+H"}.
inline std::vector<std::string> TagWords(const std::string& tag) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : tag + ' ') {
        if (c != ' ' && c != ',' && c != '\t') {
            word += c;
            continue;
        }
        if (!word.empty() && word[0] != '.') words.push_back(word);
        word.clear();
    }
    return words;
}

// The body rows of the Markdown table whose first header cell is
// `firstHeader`, each as its cells with the blanks around them trimmed.
inline std::vector<std::vector<std::string>> MarkdownTable(const std::string& markdown,
                                                           const std::string& firstHeader) {
    const auto cells = [](const std::string& line) {
        std::vector<std::string> row;
        std::string cell;
        for (std::size_t i = 1; i < line.size(); ++i) {
            if (line[i] != '|') {
                cell += line[i];
                continue;
            }
            const std::size_t first = cell.find_first_not_of(' ');
            row.push_back(
                first == std::string::npos ? "" : cell.substr(first, cell.find_last_not_of(' ') + 1 - first));
            cell.clear();
        }
        return row;
    };
    std::vector<std::vector<std::string>> rows;
    bool inTable = false;
    for (const std::string& line : Lines(markdown)) {
        if (line.rfind('|', 0) != 0) {
            inTable = false;
        } else if (!inTable) {
            inTable = cells(line).front() == firstHeader;
        } else if (line.rfind("|---", 0) != 0) {
            rows.push_back(cells(line));
        }
    }
    return rows;
}

// The `code` spans of a Markdown cell: "`Alt+F`, `Alt+H`" gives {"Alt+F", "Alt+H"}.
inline std::vector<std::string> CodeSpans(const std::string& cell) {
    std::vector<std::string> spans;
    for (std::size_t open = cell.find('`'); open != std::string::npos; open = cell.find('`', open)) {
        const std::size_t close = cell.find('`', open + 1);
        if (close == std::string::npos) break;
        spans.push_back(cell.substr(open + 1, close - open - 1));
        open = close + 1;
    }
    return spans;
}

}  // namespace wavtest
