// The JSON form of a main map file: the summary's facts with keys in a fixed
// order, and on request every decoded record.
#pragma once

#include "format/zelfile.h"
#include "tools/zeldump/view.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel::dump {

struct JsonRequest {
    bool records = false;          // every block with its records
    std::optional<uint32_t> level; // only this level (by position)
    std::optional<int32_t> square; // only this square's blocks (implies blocks)
};

std::string jsonText(const Inspection& inspection, const JsonRequest& request);

// A small writer that keeps commas and indentation right. Containers opened
// "inline" keep their contents on one line, which suits points and counts.
class JsonWriter {
public:
    void beginObject(bool inlined = false) { open('{', inlined); }
    void endObject() { close('}'); }
    void beginArray(bool inlined = false) { open('[', inlined); }
    void endArray() { close(']'); }

    JsonWriter& key(std::string_view name);
    void string(std::string_view utf8);
    void number(int64_t value);
    void unsignedNumber(uint64_t value);
    void real(double value, int decimals);
    void boolean(bool value);

    const std::string& text() const { return out; }

private:
    struct Frame {
        bool inlined = false;
        bool empty = true;
    };
    void open(char bracket, bool inlined);
    void close(char bracket);
    void beforeValue();
    void newline();

    std::string out;
    std::vector<Frame> frames;
    bool afterKey = false;
};

} // namespace zel::dump
