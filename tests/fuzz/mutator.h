#pragma once
// Fixed-seed mutation of text inputs: the same seed gives the same cases on every machine
// (std::mt19937's sequence is fixed by the standard; no distribution object is used, since
// their results differ between library versions).

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// The entries of a list written one a line (a raw string literal). "^n", "^r", "^t" and "^xHH"
// stand for a line break, a carriage return, a tab and any byte, so that entries can hold them;
// every other character is itself.
inline std::vector<std::string> EntryLines(const char* list) {
    std::vector<std::string> entries;
    std::string entry;
    for (const char* p = list; *p; ++p) {
        if (*p == '\n') {
            entries.push_back(entry);
            entry.clear();
        } else if (*p == '^' && (p[1] == 'n' || p[1] == 'r' || p[1] == 't')) {
            entry += p[1] == 'n' ? '\n' : p[1] == 'r' ? '\r' : '\t';
            ++p;
        } else if (*p == '^' && p[1] == 'x' && p[2] && p[3]) {
            entry += static_cast<char>(std::stoi(std::string(p + 2, 2), nullptr, 16));
            p += 3;
        } else {
            entry += *p;
        }
    }
    if (!entry.empty())
        entries.push_back(entry);
    return entries;
}

class Mutator {
  public:
    // tokens: pieces that matter to the format at hand (delimiters, keywords, hostile values);
    // values: what may stand after the '=' of a "key = value" line.
    Mutator(std::uint32_t seed, std::vector<std::string> tokens, std::vector<std::string> values)
        : random_(seed), tokens_(std::move(tokens)), values_(std::move(values)) {}

    // A number from 0 to n - 1.
    std::size_t Below(std::size_t n) { return n == 0 ? 0 : random_() % n; }

    // seed with one to four mutations: bytes replaced, tokens inserted, lines deleted,
    // duplicated or swapped, values replaced, or the text cut short.
    std::string Mutate(std::string text) {
        for (std::size_t n = 1 + Below(4); n > 0; --n)
            MutateOnce(text);
        return text;
    }

    // seed with the values of one to three "key = value" lines replaced, mostly by values of
    // the same kind (string, number, truth value, table): the text keeps its shape, so that
    // most cases get past the syntax to the meaning of the values.
    std::string MutateValues(std::string text) {
        for (std::size_t n = 1 + Below(3); n > 0; --n)
            ReplaceValue(text, values_, Below(5) != 0);
        return text;
    }

  private:
    void MutateOnce(std::string& text) {
        switch (Below(8)) {
            case 0:  // a random byte, control characters and high bytes included
                if (!text.empty())
                    text[Below(text.size())] = static_cast<char>(Below(256));
                break;
            case 1:
            case 2:
                text.insert(Below(text.size() + 1), Token());
                break;
            case 3:
                EditLines(text, [&](std::vector<std::string>& lines, std::size_t i) {
                    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
                });
                break;
            case 4:
                EditLines(text, [&](std::vector<std::string>& lines, std::size_t i) {
                    const std::string copy = lines[i];
                    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(Below(lines.size())),
                                 copy);
                });
                break;
            case 5:
                EditLines(text, [&](std::vector<std::string>& lines, std::size_t i) {
                    std::swap(lines[i], lines[Below(lines.size())]);
                });
                break;
            case 6:
                ReplaceValue(text, Below(2) ? values_ : tokens_, false);
                break;
            default:
                text.resize(Below(text.size() + 1));
                break;
        }
    }

    std::string Token() { return Pick(tokens_); }
    std::string Pick(const std::vector<std::string>& from) {
        return from.empty() ? std::string() : from[Below(from.size())];
    }

    // What kind of value text starts with: a quote, a digit or sign, a letter, a brace...
    static char Kind(const std::string& text) {
        const std::size_t start = text.find_first_not_of(" \t");
        if (start == std::string::npos)
            return ' ';
        const char c = text[start];
        if (c == '"' || c == '\'')
            return '"';
        if ((c >= '0' && c <= '9') || c == '-' || c == '+')
            return '0';
        return c;
    }

    // The value of a random "key = value" line; sameKind keeps strings strings and so on.
    void ReplaceValue(std::string& text, const std::vector<std::string>& from, bool sameKind) {
        EditLines(text, [&](std::vector<std::string>& lines, std::size_t i) {
            for (std::size_t tries = 0; tries < lines.size(); ++tries) {
                std::string& line = lines[(i + tries) % lines.size()];
                const std::size_t equals = line.find('=');
                if (equals == std::string::npos)
                    continue;
                std::string value = Pick(from);
                const char kind = Kind(line.substr(equals + 1));
                for (int pick = 0; sameKind && Kind(value) != kind && pick < 64; ++pick)
                    value = Pick(from);
                line = line.substr(0, equals + 1) + " " + value;
                return;
            }
        });
    }

    template <typename Edit>
    void EditLines(std::string& text, Edit edit) {
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        if (lines.empty())
            return;
        edit(lines, Below(lines.size()));
        text.clear();
        for (std::size_t i = 0; i < lines.size(); ++i)
            text += (i ? "\n" : "") + lines[i];
    }

    std::mt19937 random_;
    std::vector<std::string> tokens_;
    std::vector<std::string> values_;
};
