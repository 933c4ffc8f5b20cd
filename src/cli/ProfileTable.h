#pragma once

#include <optional>
#include <string>
#include <vector>

// The rows printed by "list": an aligned table for people, or JSON lines for programs. Texts are
// UTF-8.
class ProfileTable {
public:
    struct Row {
        int row = 0;          // from 1, as --profile takes it
        std::string kind;     // ie, nn4, nn6, nn7, opera
        std::string browser;  // the wizard's label: I.E., NNv4, ...
        std::string user;
        std::string path;
        std::optional<int> count;  // bookmarks after loading, with --count
    };

    void Add(Row row) { rows_.push_back(std::move(row)); }

    // Columns ROW, COUNT (when counted), BROWSER, USER, PATH, padded by display width (a
    // full-width character takes two columns); one line per row after the heading.
    std::string Table() const;
    // One object per line with the keys row, kind, browser, user, path and, when counted, count.
    std::string JsonLines() const;

    // Columns a UTF-8 text takes on a terminal.
    static size_t DisplayWidth(const std::string& utf8);
    // The text as a JSON string, quotes included.
    static std::string JsonString(const std::string& utf8);

private:
    std::vector<Row> rows_;
};
