// A small JSON writer on top of the record layer's number forms.
#include "colfit/json_text.hpp"

#include <cmath>

#include "common/edit_descriptors.hpp"

namespace colfit {

JsonText::JsonText() = default;

std::string json_string(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out("\"");
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (u < 0x20) {
            out.append("\\u00");
            out.push_back(kHex[u >> 4]);
            out.push_back(kHex[u & 0xf]);
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
    return out;
}

std::string json_number(std::optional<double> value) {
    if (!value || !std::isfinite(*value)) return "null";
    return common::edit_shortest(*value);
}

void JsonText::item(std::string_view key, std::string_view json) {
    if (!first_.empty()) {
        if (!first_.back()) records_.back().push_back(',');
        first_.back() = false;
    }
    std::string record(2 * first_.size(), ' ');
    if (!key.empty()) record.append(json_string(key)).append(": ");
    record.append(json);
    records_.push_back(std::move(record));
}

void JsonText::begin_object(std::string_view key) {
    item(key, "{");
    first_.push_back(true);
}

void JsonText::begin_array(std::string_view key) {
    item(key, "[");
    first_.push_back(true);
}

void JsonText::close(char bracket) {
    first_.pop_back();
    records_.push_back(std::string(2 * first_.size(), ' ') + bracket);
}

void JsonText::end_object() {
    close('}');
}

void JsonText::end_array() {
    close(']');
}

void JsonText::number(std::string_view key, std::optional<double> value) {
    item(key, json_number(value));
}

void JsonText::numbers(std::string_view key, std::span<const double> values) {
    std::string json("[");
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (k > 0) json.append(", ");
        json.append(json_number(values[k]));
    }
    json.push_back(']');
    item(key, json);
}

void JsonText::text(std::string_view key, std::string_view value) {
    item(key, json_string(value));
}

void JsonText::boolean(std::string_view key, bool value) {
    item(key, value ? "true" : "false");
}

void JsonText::null(std::string_view key) {
    item(key, "null");
}

}  // namespace colfit
