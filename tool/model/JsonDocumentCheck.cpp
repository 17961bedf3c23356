#include "tool/model/JsonDocumentCheck.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <set>
#include <vector>

namespace gantry::tool {

namespace {

using Json = nlohmann::ordered_json;

// The parser's number overflow ("1e400", hundreds of digits).
constexpr int f_nNumberOverflow = 406;

// "line L, column C" of the byte at 1-based offset `byte` (a column counts
// bytes).
std::string Place(const std::string& text, std::size_t byte) {
    const std::size_t end = std::min(byte > 0 ? byte - 1 : 0, text.size());
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(end - lineStart + 1);
}

// The parser's words without its exception tag and its own place.
std::string Reason(const std::string& what) {
    const std::size_t colon = what.find(": ", what.find("parse error"));
    return colon == std::string::npos ? what : what.substr(colon + 2);
}

// Follows the document's nesting to name the value being read and to see
// every key of each object.
class CDocumentChecker : public nlohmann::json_sax<Json> {
public:
    explicit CDocumentChecker(const std::string& text) : m_text(text) {}
    const std::string& Error() const { return m_error; }

    bool null() override { return Value(); }
    bool boolean(bool) override { return Value(); }
    bool number_integer(number_integer_t) override { return Value(); }
    bool number_unsigned(number_unsigned_t) override { return Value(); }
    bool number_float(number_float_t, const string_t&) override { return Value(); }
    bool string(string_t&) override { return Value(); }
    bool binary(binary_t&) override { return Value(); }
    bool start_object(std::size_t) override { return Open(false); }
    bool start_array(std::size_t) override { return Open(true); }
    bool end_object() override { return Close(); }
    bool end_array() override { return Close(); }

    bool key(string_t& key) override {
        Frame& frame = m_frames.back();
        frame.key = key;
        if (!frame.keys.insert(key).second) {
            m_error = "duplicate key: " + CurrentName();
            return false;
        }
        return true;
    }

    bool parse_error(std::size_t position, const std::string& token,
                     const nlohmann::detail::exception& error) override {
        if (error.id == f_nNumberOverflow) {
            // the place of the number's first character
            const std::size_t start = position >= token.size() ? position - token.size() + 1 : 1;
            m_error = "value out of range: " + CurrentName() + " (" + Place(m_text, start) +
                      ": a number too large to read)";
        } else {
            m_error =
                "not a JSON document: " + Place(m_text, position) + ": " + Reason(error.what());
        }
        return false;
    }

private:
    struct Frame {
        bool array = false;
        std::string name;  // the object's or array's own path
        std::size_t index = 0;
        std::string key;
        std::set<std::string> keys;
    };

    // The path of the value read next.
    std::string CurrentName() const {
        if (m_frames.empty()) {
            return "(document)";
        }
        const Frame& frame = m_frames.back();
        if (frame.array) {
            return frame.name + "[" + std::to_string(frame.index) + "]";
        }
        return frame.name.empty() ? frame.key : frame.name + "." + frame.key;
    }
    bool Open(bool array) {
        Frame frame;
        frame.array = array;
        frame.name = m_frames.empty() ? "" : CurrentName();
        m_frames.push_back(std::move(frame));
        return true;
    }
    bool Close() {
        m_frames.pop_back();
        return Value();
    }
    bool Value() {
        if (!m_frames.empty() && m_frames.back().array) {
            ++m_frames.back().index;
        }
        return true;
    }

    const std::string& m_text;
    std::vector<Frame> m_frames;
    std::string m_error;
};

}  // namespace

std::string CheckJsonDocument(const std::string& text) {
    CDocumentChecker checker(text);
    Json::sax_parse(text, &checker);
    return checker.Error();
}

}  // namespace gantry::tool
