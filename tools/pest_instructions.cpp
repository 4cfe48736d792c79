// The instruction language by which a calibration engine reads observations out of a model's
// output file (see follow_instructions in pest_emulation.hpp).
#include <algorithm>
#include <cctype>
#include <set>
#include <stdexcept>

#include "common/list_input.hpp"
#include "tools/pest_emulation.hpp"
#include "tools/words.hpp"

namespace tools {
namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// The items of an instruction line: separated by blanks and tabs, except that a marker item runs
// from one marker character to the next, blanks included.
std::vector<std::string> instruction_items(const std::string& line, char marker) {
    std::vector<std::string> items;
    std::size_t k = 0;
    while (k < line.size()) {
        if (is_blank(line[k])) {
            ++k;
            continue;
        }
        std::size_t end = k + 1;
        if (line[k] == marker) {
            end = line.find(marker, k + 1);
            if (end == std::string::npos) throw std::runtime_error("unclosed marker");
            ++end;
        } else {
            while (end < line.size() && !is_blank(line[end])) ++end;
        }
        items.push_back(line.substr(k, end - k));
        k = end;
    }
    return items;
}

// A positive count after a one-letter instruction ("l4", "t12").
bool count_after_letter(const std::string& item, char letter, std::size_t& count) {
    if (item.size() < 2 || std::tolower(static_cast<unsigned char>(item[0])) != letter) return false;
    std::int32_t n = 0;
    if (!common::parse_integer(item.substr(1), n) || n < 1)
        throw std::runtime_error("bad instruction " + item);
    count = static_cast<std::size_t>(n);
    return true;
}

class InstructionReader {
  public:
    InstructionReader(const std::vector<std::string>& output, char marker)
        : output_(output), marker_(marker) {}

    void follow(const std::string& instruction_line) {
        std::vector<std::string> items = instruction_items(instruction_line, marker_);
        if (items.empty()) return;
        const bool continued = items[0] == "&";
        if (continued) items.erase(items.begin());
        bool after_advance = false;
        for (std::size_t i = 0; i < items.size(); ++i) {
            const std::string& item = items[i];
            const bool first = i == 0 && !continued;
            std::size_t count = 0;
            if (item.size() > 1 && item.front() == marker_ && item.back() == marker_) {
                search(item.substr(1, item.size() - 2), first || after_advance, after_advance);
            } else if (count_after_letter(item, 'l', count)) {
                if (!first) throw std::runtime_error("a line advance comes first on its instruction line");
                advance(count);
                after_advance = true;
                continue;
            } else if (first) {
                throw std::runtime_error("an instruction line begins with a line advance or a marker");
            } else if (item == "w" || item == "W") {
                skip_whitespace();
            } else if (count_after_letter(item, 't', count)) {
                current();
                next_ = count;
            } else if (item.size() > 2 && item.front() == '!' && item.back() == '!') {
                read_delimited(item.substr(1, item.size() - 2));
            } else if (item.front() == '[') {
                read_fixed(item);
            } else {
                throw std::runtime_error("unsupported instruction " + item);
            }
            after_advance = false;
        }
    }

    std::vector<Observation> observations() && { return std::move(observations_); }

  private:
    const std::string& current() const {
        if (line_ == 0) throw std::runtime_error("no output line has been reached yet");
        return output_[line_ - 1];
    }

    void advance(std::size_t count) {
        line_ += count;
        next_ = 0;
        if (line_ > output_.size()) {
            throw std::runtime_error("the output ends before line " + std::to_string(line_));
        }
    }

    // A primary marker searches whole lines: from the next line on, or from the line just advanced
    // to; a secondary marker searches the rest of the current line.
    void search(const std::string& text, bool primary, bool from_current_line) {
        if (text.empty()) throw std::runtime_error("empty marker");
        if (!primary) {
            const std::size_t at = current().find(text, next_);
            if (at == std::string::npos)
                throw std::runtime_error("marker '" + text + "' not found on its line");
            next_ = at + text.size();
            return;
        }
        for (std::size_t line = from_current_line ? line_ : line_ + 1; line <= output_.size(); ++line) {
            if (line == 0) continue;
            const std::size_t at = output_[line - 1].find(text);
            if (at != std::string::npos) {
                line_ = line;
                next_ = at + text.size();
                return;
            }
        }
        throw std::runtime_error("marker '" + text + "' not found");
    }

    void skip_whitespace() {
        const std::string& line = current();
        std::size_t k = next_;
        while (k < line.size() && !is_blank(line[k])) ++k;
        if (k == line.size()) throw std::runtime_error("no whitespace left on the line");
        while (k < line.size() && is_blank(line[k])) ++k;
        next_ = k;
    }

    void read_delimited(const std::string& name) {
        const std::string& line = current();
        std::size_t begin = next_;
        while (begin < line.size() && is_blank(line[begin])) ++begin;
        if (begin >= line.size()) throw std::runtime_error("no value left on the line for " + name);
        std::size_t end = begin;
        while (end < line.size() && !is_blank(line[end])) ++end;
        record(name, line.substr(begin, end - begin));
        next_ = end;
    }

    // "[name]a:b": the number in columns a to b.
    void read_fixed(const std::string& item) {
        const std::size_t close = item.find(']');
        const std::size_t colon = item.find(':', close);
        std::int32_t first = 0, last = 0;
        if (close == std::string::npos || colon == std::string::npos || close < 2 ||
            !common::parse_integer(item.substr(close + 1, colon - close - 1), first) ||
            !common::parse_integer(item.substr(colon + 1), last) || first < 1 || last < first) {
            throw std::runtime_error("bad fixed observation " + item);
        }
        const std::string& line = current();
        const auto from = static_cast<std::size_t>(first - 1);
        std::string text =
            from < line.size() ? line.substr(from, static_cast<std::size_t>(last - first + 1)) : "";
        const std::size_t text_begin = text.find_first_not_of(" \t");
        text = text_begin == std::string::npos
                   ? ""
                   : text.substr(text_begin, text.find_last_not_of(" \t") - text_begin + 1);
        record(item.substr(1, close - 1), text);
        next_ = static_cast<std::size_t>(last);
    }

    void record(const std::string& name, const std::string& text) {
        Observation observation{lower(name), text, 0.0};
        if (text.empty() || !common::parse_real(text, observation.value)) {
            throw std::runtime_error("'" + text + "' on output line " + std::to_string(line_) +
                                     " is not a number");
        }
        if (observation.name == "dum") return;
        if (!names_.insert(observation.name).second) {
            throw std::runtime_error("observation " + observation.name + " is read twice");
        }
        observations_.push_back(std::move(observation));
    }

    const std::vector<std::string>& output_;
    char marker_;
    std::size_t line_ = 0;  // 1-based number of the current output line; 0 before the first
    std::size_t next_ = 0;  // index of the first character after the cursor
    std::vector<Observation> observations_;
    std::set<std::string> names_;
};

}  // namespace

std::vector<Observation> follow_instructions(const std::vector<std::string>& instruction_records,
                                             const std::vector<std::string>& output_records) {
    if (instruction_records.empty() || instruction_records[0].size() != 5 ||
        lower(instruction_records[0].substr(0, 4)) != "pif ") {
        throw std::runtime_error("an instruction file begins with 'pif <marker character>'");
    }
    InstructionReader reader(output_records, instruction_records[0][4]);
    for (std::size_t k = 1; k < instruction_records.size(); ++k) {
        try {
            reader.follow(instruction_records[k]);
        } catch (const std::runtime_error& error) {
            throw std::runtime_error("instruction line " + std::to_string(k + 1) + ": " + error.what());
        }
    }
    return std::move(reader).observations();
}

std::vector<Observation> read_observations(const std::string& instruction_path,
                                           const std::string& output_path) {
    return follow_instructions(read_records(instruction_path), read_records(output_path));
}

}  // namespace tools
