#include "json_spans.h"

#include <algorithm>
#include <string_view>

#include <nlohmann/json.hpp>

namespace place {

namespace {

// A scanner over text that is known to be valid JSON: it only finds where things end.
class Scanner {
public:
    explicit Scanner(const std::string& text) : text_(text) {}

    size_t SkipBlanks(size_t p) const {
        while (p < text_.size() && (text_[p] == ' ' || text_[p] == '\t' || text_[p] == '\n' || text_[p] == '\r')) ++p;
        return p;
    }

    // From a value's first byte to just past it.
    size_t ValueEnd(size_t p) const {
        if (text_[p] == '"') return StringEnd(p);
        if (text_[p] == '{' || text_[p] == '[') {
            const char close = text_[p] == '{' ? '}' : ']';
            p = SkipBlanks(p + 1);
            while (text_[p] != close) {
                if (close == '}') p = SkipBlanks(StringEnd(p)) + 1;  // the key and its colon
                p = SkipBlanks(ValueEnd(SkipBlanks(p)));
                if (text_[p] == ',') p = SkipBlanks(p + 1);
            }
            return p + 1;
        }
        while (p < text_.size() && std::string_view(",}] \t\r\n").find(text_[p]) == std::string_view::npos) ++p;
        return p;
    }

    size_t StringEnd(size_t p) const {
        for (++p; text_[p] != '"'; ++p)
            if (text_[p] == '\\') ++p;
        return p + 1;
    }

    // The members of the object whose brace is at p.
    JsonObjectSpan Members(size_t p) const {
        JsonObjectSpan span;
        span.open = p;
        p = SkipBlanks(p + 1);
        while (text_[p] != '}') {
            JsonMember m;
            m.begin = p;
            const size_t key_end = StringEnd(p);
            m.key = nlohmann::json::parse(text_.substr(p, key_end - p)).get<std::string>();
            m.value_begin = SkipBlanks(SkipBlanks(key_end) + 1);
            m.value_end = ValueEnd(m.value_begin);
            span.members.push_back(m);
            p = SkipBlanks(m.value_end);
            if (text_[p] == ',') p = SkipBlanks(p + 1);
        }
        span.close = p;
        return span;
    }

    // The start of the element `index` of the array whose bracket is at p.
    std::optional<size_t> Element(size_t p, size_t index) const {
        p = SkipBlanks(p + 1);
        for (size_t i = 0; text_[p] != ']'; ++i) {
            if (i == index) return p;
            p = SkipBlanks(ValueEnd(p));
            if (text_[p] == ',') p = SkipBlanks(p + 1);
        }
        return std::nullopt;
    }

    char At(size_t p) const { return p < text_.size() ? text_[p] : '\0'; }

private:
    const std::string& text_;
};

}  // namespace

std::vector<JsonStep> JsonPointerSteps(const std::string& pointer) {
    std::vector<JsonStep> steps;
    size_t p = 0;
    while (p < pointer.size()) {
        const size_t next = std::min(pointer.find('/', p + 1), pointer.size());
        const std::string part = pointer.substr(p + 1, next - p - 1);
        const bool digits = !part.empty() && part.find_first_not_of("0123456789") == std::string::npos;
        if (digits) steps.emplace_back(static_cast<size_t>(std::stoull(part)));
        else steps.emplace_back(part);
        p = next;
    }
    return steps;
}

std::optional<JsonObjectSpan> FindJsonObject(const std::string& text, const std::vector<JsonStep>& path) {
    const Scanner scan(text);
    size_t p = scan.SkipBlanks(text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0);  // the reader skips a BOM too
    for (const JsonStep& step : path) {
        if (const auto* key = std::get_if<std::string>(&step)) {
            if (scan.At(p) != '{') return std::nullopt;
            std::optional<size_t> found;
            for (const JsonMember& m : scan.Members(p).members)
                if (m.key == *key) found = m.value_begin;
            if (!found) return std::nullopt;
            p = *found;
        } else {
            if (scan.At(p) != '[') return std::nullopt;
            const std::optional<size_t> element = scan.Element(p, std::get<size_t>(step));
            if (!element) return std::nullopt;
            p = *element;
        }
    }
    if (scan.At(p) != '{') return std::nullopt;
    return scan.Members(p);
}

}  // namespace place
