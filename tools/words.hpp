#pragma once
// The words of a line of the engine's files, as it splits them, and names compared without regard
// to case.

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace tools {

// The words of a line, separated by blanks and tabs.
inline std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::string word;
    for (const char c : line) {
        if (c == ' ' || c == '\t') {
            if (!word.empty()) out.push_back(std::move(word));
            word.clear();
        } else {
            word.push_back(c);
        }
    }
    if (!word.empty()) out.push_back(std::move(word));
    return out;
}

inline std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace tools
