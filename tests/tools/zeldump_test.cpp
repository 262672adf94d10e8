// zeldump and the format reader against files the real compiler wrote: the
// example town decoded back to its input, every single-byte corruption of it,
// the JSON and SVG outputs checked for well-formedness, and the command line.
#include "format/bytes.h"
#include "format/zelfile.h"
#include "platform/utf.h"
#include "support/files.h"
#include "support/run.h"
#include "support/tempdir.h"
#include "support/zelsample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <sstream>
#include <tuple>

namespace zel {
namespace {

namespace fs = std::filesystem;

// ---- The input map, read with just enough of the Polish format ----

struct MpObject {
    uint8_t kind = 0; // layout::recordPoi, kindLine, kindPolygon
    uint16_t type = 0;
    std::u16string label;
    int dataLevel = 0;
    int endLevel = -1;
    bool routable = false;
    std::vector<std::pair<float, float>> points; // (lon, lat), stored as f32 like the reader
};

std::string trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The example's labels use only the part of code page 1252 that agrees with
// Latin-1, so each byte is its own code point.
std::u16string latin1(const std::string& bytes) {
    std::u16string text;
    for (char c : bytes)
        text += static_cast<char16_t>(static_cast<unsigned char>(c));
    return text;
}

// The first coordinate line of each object; the example's only second line
// (Data2 of the pier) is checked by the level counts.
std::vector<MpObject> parseMp(const std::string& text) {
    std::vector<MpObject> objects;
    std::istringstream in(text);
    std::string line;
    std::optional<MpObject> current;
    while (std::getline(in, line)) {
        line = trim(line);
        if (line == "[POI]" || line == "[POLYLINE]" || line == "[POLYGON]") {
            current = MpObject{};
            current->kind = line == "[POI]"        ? layout::recordPoi
                            : line == "[POLYLINE]" ? layout::recordLine
                                                   : layout::recordPolygon;
            continue;
        }
        if (!current)
            continue;
        if (line == "[END]") {
            objects.push_back(*current);
            current.reset();
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "Type") {
            current->type = static_cast<uint16_t>(std::stoul(value, nullptr, 16));
        } else if (key == "Label") {
            std::string label = value;
            // Polyline labels lose a leading "~[0x..]" code.
            if (current->kind == layout::recordLine && label.rfind("~[", 0) == 0)
                label = label.substr(label.find(']') + 1);
            current->label = latin1(label);
        } else if (key == "EndLevel") {
            current->endLevel = std::stoi(value);
        } else if (key == "RoadID") {
            current->routable = true;
        } else if (key.rfind("Data", 0) == 0 && current->points.empty()) {
            current->dataLevel = std::stoi(key.substr(4));
            for (size_t at = value.find('('); at != std::string::npos;
                 at = value.find('(', at + 1)) {
                const float lat = std::stof(value.substr(at + 1));
                const float lon = std::stof(value.substr(value.find(',', at) + 1));
                current->points.emplace_back(lon, lat);
            }
        }
    }
    return objects;
}

// Degrees to level units, rounded half away from zero as the writer does.
int64_t levelUnits(float degrees, int bits) {
    const double v = static_cast<double>(degrees) * std::ldexp(1.0, bits) / 360.0;
    return static_cast<int64_t>(v >= 0 ? v + 0.5 : v - 0.5);
}

struct Decoded {
    const format::Block* block;
    const format::Record* record;
    int64_t x(size_t i) const { return block->baseX + int64_t{record->offsets[i].dx}; }
    int64_t y(size_t i) const { return block->baseY + int64_t{record->offsets[i].dy}; }
};

std::vector<Decoded> recordsOf(const format::Level& level) {
    std::vector<Decoded> out;
    for (const format::Block& block : level.blocks) {
        for (const format::Record& record : block.records)
            out.push_back({&block, &record});
    }
    return out;
}

std::string problemsOf(const format::ZelFile& zel) {
    std::string text;
    for (const format::Problem& p : zel.problems)
        text += "  @" + std::to_string(p.offset) + ": " + p.what + "\n";
    return text;
}

// ---- Tiny checkers for the outputs ----

// Well-formed XML as far as zeldump writes it: one prolog, elements properly
// nested under a single root, quoted attributes, known entities, valid UTF-8
// and no stray markup in text. Counts the elements per value of "class".
struct XmlCheck {
    std::string error;
    std::map<std::string, int> classes;
    std::map<std::string, int> elements;
};

XmlCheck checkXml(const std::string& text) {
    XmlCheck check;
    const auto fail = [&](size_t at, const std::string& what) {
        if (check.error.empty())
            check.error = what + " at byte " + std::to_string(at);
    };
    for (size_t at = 0; at < text.size();) {
        const platform::Utf8Step step = platform::decodeUtf8(text, at);
        if (!step.valid)
            return fail(at, "invalid UTF-8"), check;
        at += step.length;
    }
    const auto isNameChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == ':';
    };
    const auto checkEntities = [&](size_t begin, size_t end) {
        for (size_t at = begin; at < end; ++at) {
            if (text[at] == '<')
                return fail(at, "'<' in text");
            if (text[at] != '&')
                continue;
            const size_t semi = text.find(';', at);
            const std::string entity = semi < end ? text.substr(at, semi - at + 1) : "";
            static const std::set<std::string> known = {"&lt;", "&gt;", "&amp;", "&quot;",
                                                        "&apos;"};
            if (known.count(entity) == 0)
                return fail(at, "unknown entity");
        }
    };
    const std::string prolog = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    if (text.rfind(prolog, 0) != 0)
        return fail(0, "no prolog"), check;
    std::vector<std::string> open;
    bool rootSeen = false;
    size_t at = prolog.size();
    while (at < text.size() && check.error.empty()) {
        const size_t lt = text.find('<', at);
        const size_t textEnd = lt == std::string::npos ? text.size() : lt;
        if (open.empty()) {
            if (text.find_first_not_of(" \n", at) < textEnd)
                fail(at, "text outside the root");
        } else {
            checkEntities(at, textEnd);
        }
        if (lt == std::string::npos)
            break;
        at = lt + 1;
        const bool closing = at < text.size() && text[at] == '/';
        if (closing)
            ++at;
        const size_t nameBegin = at;
        while (at < text.size() && isNameChar(text[at]))
            ++at;
        const std::string name = text.substr(nameBegin, at - nameBegin);
        if (name.empty()) {
            fail(at, "no element name");
            break;
        }
        if (closing) {
            if (open.empty() || open.back() != name || at >= text.size() || text[at] != '>')
                fail(at, "unbalanced </" + name + ">");
            else
                open.pop_back();
            ++at;
            continue;
        }
        if (open.empty() && rootSeen)
            fail(at, "second root");
        rootSeen = true;
        ++check.elements[name];
        std::set<std::string> attributes;
        for (;;) {
            while (at < text.size() && (text[at] == ' ' || text[at] == '\n'))
                ++at;
            if (at >= text.size()) {
                fail(at, "unterminated tag");
                break;
            }
            if (text[at] == '>' || text.compare(at, 2, "/>") == 0) {
                if (text[at] == '>')
                    open.push_back(name);
                at += text[at] == '>' ? 1 : 2;
                break;
            }
            const size_t keyBegin = at;
            while (at < text.size() && isNameChar(text[at]))
                ++at;
            const std::string key = text.substr(keyBegin, at - keyBegin);
            if (key.empty() || text.compare(at, 2, "=\"") != 0 || !attributes.insert(key).second) {
                fail(at, "bad attribute");
                break;
            }
            at += 2;
            const size_t close = text.find('"', at);
            if (close == std::string::npos) {
                fail(at, "unterminated attribute");
                break;
            }
            checkEntities(at, close);
            if (key == "class")
                ++check.classes[text.substr(at, close - at)];
            at = close + 1;
        }
    }
    if (check.error.empty() && (!open.empty() || !rootSeen))
        fail(text.size(), "unclosed elements");
    return check;
}

// Valid JSON (RFC 8259 grammar, strings of valid UTF-8 without raw control
// characters); returns the error or an empty string.
class JsonCheck {
public:
    explicit JsonCheck(const std::string& text) : text(text) {}

    std::string run() {
        value();
        space();
        if (error.empty() && at != text.size())
            fail("text after the value");
        return error;
    }

private:
    void fail(const std::string& what) {
        if (error.empty())
            error = what + " at byte " + std::to_string(at);
    }
    void space() {
        while (at < text.size() && std::string_view(" \t\n\r").find(text[at]) != std::string::npos)
            ++at;
    }
    bool eat(char c) {
        space();
        if (at < text.size() && text[at] == c) {
            ++at;
            return true;
        }
        return false;
    }
    void value() {
        if (++depth > 64)
            return fail("too deep");
        space();
        if (at >= text.size())
            return fail("missing value");
        const char c = text[at];
        if (c == '{') {
            ++at;
            if (!eat('}')) {
                do {
                    space();
                    string();
                    if (!eat(':'))
                        return fail("missing ':'");
                    value();
                } while (error.empty() && eat(','));
                if (!eat('}'))
                    return fail("missing '}'");
            }
        } else if (c == '[') {
            ++at;
            if (!eat(']')) {
                do
                    value();
                while (error.empty() && eat(','));
                if (!eat(']'))
                    return fail("missing ']'");
            }
        } else if (c == '"') {
            string();
        } else if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
            number();
        } else {
            for (const char* word : {"true", "false", "null"}) {
                if (text.compare(at, std::strlen(word), word) == 0) {
                    at += std::strlen(word);
                    --depth;
                    return;
                }
            }
            fail("unexpected character");
        }
        --depth;
    }
    void string() {
        if (at >= text.size() || text[at] != '"')
            return fail("missing string");
        ++at;
        while (at < text.size() && text[at] != '"') {
            const auto byte = static_cast<unsigned char>(text[at]);
            if (byte < 0x20)
                return fail("raw control character");
            if (byte == '\\') {
                ++at;
                if (at >= text.size())
                    return fail("cut escape");
                if (text[at] == 'u') {
                    for (int i = 1; i <= 4; ++i) {
                        if (at + i >= text.size() ||
                            !std::isxdigit(static_cast<unsigned char>(text[at + i])))
                            return fail("bad \\u escape");
                    }
                    at += 5;
                } else if (std::string_view("\"\\/bfnrt").find(text[at]) != std::string::npos) {
                    ++at;
                } else {
                    return fail("bad escape");
                }
                continue;
            }
            const platform::Utf8Step step = platform::decodeUtf8(text, at);
            if (!step.valid)
                return fail("invalid UTF-8");
            at += step.length;
        }
        if (at >= text.size())
            return fail("unterminated string");
        ++at;
    }
    void number() {
        const size_t begin = at;
        if (text[at] == '-')
            ++at;
        const auto digits = [&] {
            const size_t from = at;
            while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))
                ++at;
            return at - from;
        };
        const size_t whole = digits();
        if (whole == 0 || (whole > 1 && text[at - whole] == '0'))
            return fail("bad number");
        if (at < text.size() && text[at] == '.') {
            ++at;
            if (digits() == 0)
                return fail("bad fraction");
        }
        if (at == begin)
            fail("bad number");
    }

    const std::string& text;
    size_t at = 0;
    int depth = 0;
    std::string error;
};

size_t countOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// ---- The example compiled once for all tests ----

class Example : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = std::make_unique<test::TempDir>();
        fs::copy(fs::path(MP2ZEL_SOURCE_DIR) / "examples", dir->path(),
                 fs::copy_options::recursive);
        const test::RunResult run = test::runProgram(MP2ZEL_EXE, dir->path(), {});
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        bytes = test::readFile(zelPath());
        const test::ByteVector mp = test::readFile(dir->path() / "in/maps/brookfield.mp");
        mpText.assign(mp.begin(), mp.end());
    }
    static void TearDownTestSuite() { dir.reset(); }

    static fs::path zelPath() { return dir->path() / "brookfield.zel"; }

    static test::RunResult zeldump(const std::vector<std::string>& args) {
        return test::runProgram(ZELDUMP_EXE, dir->path(), args);
    }

    static std::unique_ptr<test::TempDir> dir;
    static test::ByteVector bytes;
    static std::string mpText;
};

std::unique_ptr<test::TempDir> Example::dir;
test::ByteVector Example::bytes;
std::string Example::mpText;

// ---- Round trip ----

TEST_F(Example, DecodedObjectsMatchTheInputMap) {
    const format::ZelFile zel = format::readZel(bytes);
    ASSERT_TRUE(zel.valid()) << problemsOf(zel);
    const std::vector<MpObject> input = parseMp(mpText);
    ASSERT_EQ(input.size(), 12u);

    for (const format::Level& level : zel.levels) {
        SCOPED_TRACE("level " + std::to_string(level.index));
        const std::vector<Decoded> records = recordsOf(level);
        // An object is stored from its data level up to its end level; each
        // stored object is one record or, cut by squares, several.
        std::set<std::tuple<uint8_t, uint16_t, std::u16string>> expected, found;
        for (const MpObject& o : input) {
            const int last = std::max(o.dataLevel, o.endLevel);
            if (level.index >= o.dataLevel && level.index <= last)
                expected.insert({o.kind, o.type, o.label});
        }
        // The pier's second coordinate line puts it on level 2 as well.
        if (level.index == 2)
            expected.insert({layout::recordPoi, 0x6400, u"Lakeside Pier"});
        for (const Decoded& d : records)
            found.insert({d.record->kind, d.record->type, d.record->label});
        EXPECT_EQ(found, expected);

        for (const MpObject& o : input) {
            if (!expected.count({o.kind, o.type, o.label}))
                continue;
            SCOPED_TRACE(platform::toUtf8(o.label));
            // Every decoded point lies on the object's box, give or take the
            // one unit of rounding.
            int64_t minX = std::numeric_limits<int64_t>::max(), minY = minX;
            int64_t maxX = std::numeric_limits<int64_t>::min(), maxY = maxX;
            for (const auto& [lon, lat] : o.points) {
                minX = std::min(minX, levelUnits(lon, level.bits));
                maxX = std::max(maxX, levelUnits(lon, level.bits));
                minY = std::min(minY, levelUnits(lat, level.bits));
                maxY = std::max(maxY, levelUnits(lat, level.bits));
            }
            size_t pieces = 0;
            std::vector<std::pair<int64_t, int64_t>> decodedPoints;
            for (const Decoded& d : records) {
                if (d.record->kind != o.kind || d.record->type != o.type ||
                    d.record->label != o.label)
                    continue;
                ++pieces;
                for (size_t i = 0; i < d.record->offsets.size(); ++i) {
                    EXPECT_GE(d.x(i), minX - 1);
                    EXPECT_LE(d.x(i), maxX + 1);
                    EXPECT_GE(d.y(i), minY - 1);
                    EXPECT_LE(d.y(i), maxY + 1);
                    decodedPoints.emplace_back(d.x(i), d.y(i));
                }
            }
            if (o.kind == layout::recordPoi) {
                EXPECT_EQ(pieces, 1u);
            }
            // POIs, and routable lines on their first level, which are never
            // simplified, keep every input point.
            if (o.kind == layout::recordPoi || (o.routable && level.index == 0)) {
                for (const auto& [lon, lat] : o.points) {
                    const int64_t x = levelUnits(lon, level.bits);
                    const int64_t y = levelUnits(lat, level.bits);
                    const bool near =
                        std::any_of(decodedPoints.begin(), decodedPoints.end(), [&](const auto& p) {
                            return std::llabs(p.first - x) <= 1 && std::llabs(p.second - y) <= 1;
                        });
                    EXPECT_TRUE(near) << x << "/" << y;
                }
            }
        }
    }
}

TEST_F(Example, SummaryAndJsonSayWhatTheReaderDecodes) {
    const format::ZelFile zel = format::readZel(bytes);
    ASSERT_FALSE(zel.levels.empty());

    const test::RunResult summary = zeldump({"brookfield.zel"});
    EXPECT_EQ(summary.exitCode, 0) << summary.out << summary.err;
    EXPECT_NE(summary.out.find("format version 0.9, banner \"mp2zel map compiler\""),
              std::string::npos);
    size_t pois = 0, lines = 0, polygons = 0;
    for (const Decoded& d : recordsOf(zel.levels[0])) {
        pois += d.record->kind == layout::recordPoi;
        lines += d.record->kind == layout::recordLine;
        polygons += d.record->kind == layout::recordPolygon;
    }
    EXPECT_NE(summary.out.find("records: POI " + std::to_string(pois) + ", polylines " +
                               std::to_string(lines) + ", polygons " + std::to_string(polygons)),
              std::string::npos)
        << summary.out;
    EXPECT_EQ(countOf(summary.out, "\nlevel "), zel.levels.size());
    EXPECT_NE(summary.out.find("\nvalid\n"), std::string::npos);

    const test::RunResult json = zeldump({"--json", "--records", "brookfield.zel"});
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(JsonCheck(json.out).run(), "");
    // Keys come in one fixed order.
    size_t last = 0;
    for (const char* key :
         {"\"file\"", "\"size\"", "\"valid\"", "\"problems\"", "\"version\"", "\"banner\"",
          "\"crc\"", "\"characters\"", "\"levelCount\"", "\"levels\""}) {
        const size_t at = json.out.find(key);
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, last) << key;
        last = at;
    }
    size_t records = 0;
    for (const format::Level& level : zel.levels)
        records += recordsOf(level).size();
    EXPECT_EQ(countOf(json.out, "\"kind\": "), records);
    EXPECT_NE(json.out.find("\"label\": \"Caf\xC3\xA9 \xC3\x89lan\""), std::string::npos);
    // The café's point in level units, as the input gives it.
    const std::string cafe = "\"x\": " + std::to_string(levelUnits(12.40210f, 24)) +
                             ", \"y\": " + std::to_string(levelUnits(45.51075f, 24));
    EXPECT_NE(json.out.find(cafe), std::string::npos) << cafe;

    // Narrowed to one level and one square.
    const format::Block& block = zel.levels[0].blocks.at(0);
    const test::RunResult narrow = zeldump(
        {"--json", "--level", "0", "--square", std::to_string(block.square), "brookfield.zel"});
    EXPECT_EQ(narrow.exitCode, 0);
    EXPECT_EQ(JsonCheck(narrow.out).run(), "");
    EXPECT_EQ(countOf(narrow.out, "\"position\": "), 1u);
    EXPECT_EQ(countOf(narrow.out, "\"square\": "), 1u);
    EXPECT_EQ(countOf(narrow.out, "\"records\": ["), 0u); // blocks without --records
    const test::RunResult level1 = zeldump({"--json", "--level", "1", "brookfield.zel"});
    EXPECT_NE(level1.out.find("\"position\": 1"), std::string::npos);
    EXPECT_EQ(countOf(level1.out, "\"position\": "), 1u);
    EXPECT_EQ(countOf(level1.out, "\"blocks\""), 0u);
}

// ---- Corruption ----

// Bytes that some rule of the layout fixes: changed, the file must be
// reported even with its CRC made right again. Everything else (label
// characters, coordinates, types, heights, node references, the section
// contents) may change without breaking a rule.
std::vector<bool> fixedBytes(const format::ZelFile& zel, size_t size) {
    std::vector<bool> fixed(size, false);
    const auto mark = [&](uint64_t from, uint64_t to) {
        for (uint64_t i = from; i < to && i < size; ++i)
            fixed[i] = true;
    };
    mark(0, 4);
    mark(8, layout::headerSize + layout::charHeaderSize);
    for (const format::Level& level : zel.levels) {
        // The level index is free (it repeats in merged files) and the
        // square range need not be tight.
        mark(level.directoryOffset, level.directoryOffset + 4);
        mark(level.directoryOffset + 5, level.directoryOffset + 24);
        mark(level.directoryOffset + 40, level.directoryOffset + 40 + 8 * level.blocks.size());
        for (const format::Block& block : level.blocks) {
            mark(block.offset, block.offset + layout::blockHeaderSize);
            for (const format::Record& r : block.records) {
                mark(r.offset, r.offset + 2);     // flags, label length
                mark(r.offset + 4, r.offset + 6); // point count
            }
        }
        mark(level.routingOffset, level.routingOffset + layout::routingHeaderSize);
        mark(level.addressOffset, level.addressOffset + layout::addressHeaderSize);
    }
    return fixed;
}

TEST_F(Example, EverySingleByteChangeIsReportedOrHarmless) {
    const format::ZelFile original = format::readZel(bytes);
    ASSERT_TRUE(original.valid()) << problemsOf(original);
    const std::vector<bool> fixed = fixedBytes(original, bytes.size());
    size_t harmless = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        for (uint8_t mask : {0x01, 0x10, 0x80, 0xFF}) {
            std::vector<uint8_t> changed = bytes;
            changed[i] ^= mask;
            // The CRC sees every change...
            EXPECT_FALSE(format::readZel(changed).valid()) << "byte " << i;
            if (i >= 4 && i < 8)
                continue;
            // ...and the structure checks see every change of a fixed byte.
            test::fixCrc(changed);
            const format::ZelFile zel = format::readZel(changed);
            if (fixed[i]) {
                EXPECT_FALSE(zel.valid()) << "byte " << i << " ^ " << int{mask};
            }
            harmless += zel.valid();
        }
    }
    // Labels, coordinates and types are most of a small file.
    EXPECT_GT(harmless, 0u);
}

TEST_F(Example, EveryTruncationIsReported) {
    for (size_t size = 0; size < bytes.size(); ++size) {
        const format::ZelFile zel = format::readZel(std::span(bytes.data(), size));
        EXPECT_FALSE(zel.valid()) << size;
    }
}

TEST_F(Example, DamagedFilesAreReportedByTheToolWithOffsets) {
    struct Case {
        const char* name;
        size_t keep;      // bytes kept from the start, or npos for all
        size_t flip;      // byte changed, or npos
        uint8_t mask;     // what the change flips
        bool fixCrcAfter; // so that the structure, not the CRC, is at fault
        const char* expected;
    };
    const format::ZelFile zel = format::readZel(bytes);
    ASSERT_FALSE(zel.levels.empty());
    // The count of the region that owns both towns.
    const format::AddressNode& region = zel.levels[0].address.regions.at(0);
    const size_t cities = region.offset + 1 + 2 * region.name.size();
    const size_t none = std::string::npos;
    const Case cases[] = {
        {"empty", 0, none, 0, false, "byte 0 (0x0): file ends inside the 456-byte header"},
        {"half", bytes.size() / 2, none, 0, false, "invalid"},
        {"crc", none, 5, 0x21, false, "byte 4 (0x4): CRC"},
        {"level tag", none, zel.levels[0].directoryOffset, 0x21, true, "level header tag"},
        {"block tag", none, zel.levels[0].blocks[0].offset + 1, 0x21, true, "block tag"},
        {"directory count", none, zel.levels[0].directoryOffset + 8, 0x21, true, "invalid"},
        {"region claims a third town", none, cities, 0x01, true, "claims 3 city records"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> damaged(bytes.begin(), bytes.end());
        if (c.keep != none)
            damaged.resize(c.keep);
        if (c.flip != none)
            damaged[c.flip] ^= c.mask;
        if (c.fixCrcAfter)
            test::fixCrc(damaged);
        test::writeFile(dir->path() / "damaged.zel", damaged);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"damaged.zel"},
              std::vector<std::string>{"--json", "--records", "damaged.zel"}}) {
            const test::RunResult run = zeldump(args);
            EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
            if (args.size() == 1) {
                EXPECT_NE(run.out.find(c.expected), std::string::npos) << run.out;
            } else {
                EXPECT_EQ(JsonCheck(run.out).run(), "") << run.out;
            }
        }
    }
}

// Labels may hold anything a file can carry; the outputs stay well-formed.
TEST_F(Example, HostileLabelsAndBannerKeepTheOutputsWellFormed) {
    const format::ZelFile zel = format::readZel(bytes);
    std::vector<uint8_t> changed(bytes.begin(), bytes.end());
    const format::Record* cafe = nullptr;
    for (const Decoded& d : recordsOf(zel.levels.at(0))) {
        if (d.record->label == u"Caf\u00E9 \u00C9lan")
            cafe = d.record;
    }
    ASSERT_NE(cafe, nullptr);
    const char16_t hostile[] = {u'<', u'&', u'"', 0x0000, 0xD800, 0x0007, u'\\', 0xFFFF, u'>'};
    for (size_t i = 0; i < std::size(hostile); ++i)
        setU16(changed.data() + cafe->labelOffset + 2 * i, hostile[i]);
    changed[layout::bannerOffset] = 0xE9; // a byte that is no UTF-8 on its own
    changed[layout::bannerOffset + 1] = 0x01;
    test::fixCrc(changed);
    test::writeFile(dir->path() / "hostile.zel", changed);

    const test::RunResult json = zeldump({"--json", "--records", "hostile.zel"});
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_EQ(JsonCheck(json.out).run(), "") << json.out;
    EXPECT_NE(json.out.find("\"label\": \"<&\\\"\\u0000\xEF\xBF\xBD\\u0007\\\\"),
              std::string::npos);

    const test::RunResult svg =
        zeldump({"--svg", "hostile.svg", "--labels", "--level", "0", "hostile.zel"});
    EXPECT_EQ(svg.exitCode, 1);
    const test::ByteVector picture = test::readFile(dir->path() / "hostile.svg");
    const XmlCheck check = checkXml(std::string(picture.begin(), picture.end()));
    EXPECT_EQ(check.error, "");
}

// ---- Routing and address data ----

// Level 0's routing and address data replaced by `routing` and `address`,
// with every offset behind them moved and the CRC made right.
std::vector<uint8_t> withSections(const test::ByteVector& bytes, const Bytes& routing,
                                  const Bytes& address) {
    const format::ZelFile zel = format::readZel(bytes);
    const format::Level& first = zel.levels.at(0);
    const uint64_t begin = first.routingOffset;
    const uint64_t end = first.addressOffset + first.address.size;
    std::vector<uint8_t> out(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(begin));
    out.insert(out.end(), routing.begin(), routing.end());
    out.insert(out.end(), address.begin(), address.end());
    out.insert(out.end(), bytes.begin() + static_cast<ptrdiff_t>(end), bytes.end());
    const int64_t shift = static_cast<int64_t>(out.size()) - static_cast<int64_t>(bytes.size());
    const auto move = [&](uint64_t at) {
        const uint32_t value = getU32(out.data() + at);
        if (value >= end)
            setU32(out.data() + at, static_cast<uint32_t>(value + shift));
    };
    for (const format::Level& level : zel.levels) {
        move(level.directoryOffset + 16);
        move(level.directoryOffset + 20);
        for (size_t i = 0; i < level.blocks.size(); ++i)
            move(level.directoryOffset + 40 + 8 * i + 4);
    }
    setU32(out.data() + first.directoryOffset + 20, static_cast<uint32_t>(begin + routing.size()));
    test::fixCrc(out);
    return out;
}

// One road between two nodes, both ways; the arc of node 0 at 48 + 1.
Bytes twoNodeRouting(uint32_t target = 1) {
    Bytes out;
    putTag(out, "BRIF");
    for (uint32_t v : {4u, 4u, 1u, 2u, 0u, 0u, 0u, 0u, 0u, 0u})
        putU32(out, v);
    for (uint8_t v : {3, 2, 0, 0})
        putU8(out, v);
    for (uint32_t node : {target, 0u}) {
        putU8(out, 1);
        for (uint32_t v : {1u, node, 100u})
            putU32(out, v);
    }
    return out;
}

TEST_F(Example, RoutingAndAddressCountsComeFromTheirSections) {
    test::writeFile(dir->path() / "sections.zel",
                    withSections(bytes, twoNodeRouting(), test::sampleAddressSection()));
    const test::RunResult run = zeldump({"--level", "0", "sections.zel"});
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("routing: roads 1, nodes 2, arcs 2, adjustments 0, replacements 0, "
                           "boundary nodes 0, boundary costs 0 (largest 0), restrictions 0"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("address: strings 1, cities 1, regions 1, countries 1, objects 1"),
              std::string::npos);
    const test::RunResult json = zeldump({"--json", "sections.zel"});
    EXPECT_NE(json.out.find("\"arcs\": 2"), std::string::npos);
    EXPECT_NE(json.out.find("\"objects\": 1"), std::string::npos);

    // An arc to a node that does not exist is reported once, at the arc's
    // target.
    const std::vector<uint8_t> broken =
        withSections(bytes, twoNodeRouting(5), test::sampleAddressSection());
    test::writeFile(dir->path() / "broken.zel", broken);
    const uint64_t target = format::readZel(broken).levels.at(0).routingOffset + 53;
    const test::RunResult bad = zeldump({"broken.zel"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(countOf(bad.out, "\n  byte "), 1u) << bad.out;
    EXPECT_NE(bad.out.find("byte " + std::to_string(target) + " "), std::string::npos) << bad.out;
}

// ---- The picture ----

TEST_F(Example, SvgHoldsOneElementPerDecodedRecord) {
    const format::ZelFile zel = format::readZel(bytes);
    for (size_t k = 0; k < zel.levels.size(); ++k) {
        SCOPED_TRACE("level " + std::to_string(k));
        const std::string out = "level" + std::to_string(k) + ".svg";
        const test::RunResult run =
            zeldump({"--svg", out, "--level", std::to_string(k), "--labels", "brookfield.zel"});
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        const test::ByteVector svg = test::readFile(dir->path() / out);
        const XmlCheck check = checkXml(std::string(svg.begin(), svg.end()));
        ASSERT_EQ(check.error, "");
        std::map<std::string, int> expected;
        std::set<std::u16string> labels;
        for (const Decoded& d : recordsOf(zel.levels[k])) {
            ++expected[d.record->kind == layout::recordPoi    ? "poi"
                       : d.record->kind == layout::recordLine ? "line"
                                                              : "area"];
            if (!d.record->label.empty())
                labels.insert(d.record->label);
        }
        for (const char* kind : {"poi", "line", "area"})
            EXPECT_EQ(check.classes.count(kind) ? check.classes.at(kind) : 0, expected[kind])
                << kind;
        EXPECT_EQ(check.classes.at("square"), static_cast<int>(zel.levels[k].blocks.size()));
        // One label per distinct text, and the caption.
        EXPECT_EQ(check.elements.at("text"), static_cast<int>(labels.size()) + 1);
    }
    // Without --labels only the caption is text.
    ASSERT_EQ(zeldump({"--svg", "plain.svg", "brookfield.zel"}).exitCode, 0);
    const test::ByteVector plain = test::readFile(dir->path() / "plain.svg");
    EXPECT_EQ(checkXml(std::string(plain.begin(), plain.end())).elements.at("text"), 1);
}

// ---- The command line ----

TEST_F(Example, UsageErrorsExitWithTwo) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{}, "no file given"},
        {{"a.zel", "b.zel"}, "more than one file"},
        {{"--frobnicate", "brookfield.zel"}, "unknown option --frobnicate"},
        {{"brookfield.zel", "--level"}, "--level needs a value"},
        {{"--level", "one", "brookfield.zel"}, "needs a level number"},
        {{"--level", "-1", "brookfield.zel"}, "needs a level number"},
        {{"--json", "--square", "1.5", "brookfield.zel"}, "needs a square number"},
        {{"--json", "--square", "99999999999", "brookfield.zel"}, "needs a square number"},
        {{"--json", "--svg", "x.svg", "brookfield.zel"}, "exclude each other"},
        {{"--records", "brookfield.zel"}, "--records belongs to --json"},
        {{"--square", "3", "brookfield.zel"}, "--square belongs to --json"},
        {{"--json", "--labels", "brookfield.zel"}, "--labels belongs to --svg"},
        {{"--level", "0", "--level", "1", "brookfield.zel"}, "given twice"},
        {{"--level", "7", "brookfield.zel"}, "has no level 7 (it has 3)"},
        {{"--svg", "x.svg", "--level", "3", "brookfield.zel"}, "has no level 3"},
        {{"missing.zel"}, "missing.zel cannot be opened"},
        {{"in"}, "in is a folder"},
        {{"--svg", "no/such/folder/x.svg", "brookfield.zel"}, "cannot write"},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& a : c.args)
            line += a + " ";
        SCOPED_TRACE(line);
        const test::RunResult run = zeldump(c.args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    const test::RunResult help = zeldump({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: zeldump"), std::string::npos);
    // "--" ends the options, so a file may start with a hyphen.
    fs::copy_file(zelPath(), dir->path() / "-odd.zel", fs::copy_options::overwrite_existing);
    EXPECT_EQ(zeldump({"--", "-odd.zel"}).exitCode, 0);
}

// A region naming an unknown country is left out after its cities were
// written: the city stays in the file, findable through the city section,
// and the inspector reports it as a warning at the city's record, not as a
// fault.
TEST(Inspector, ACityWhoseRegionWasLeftOutIsAWarning) {
    test::TempDir dir;
    fs::create_directories(dir / "in/maps");
    test::writeText(dir / "in/maps/orphan.mp",
                    "[IMG ID]\nLevels=2\nLevel0=24\n[END-IMG ID]\n"
                    "[Countries]\nCountry1=Land\n[END-Countries]\n"
                    "[Regions]\nRegion1=Nowhere\nCountryIdx1=-5\n[END-Regions]\n"
                    "[Cities]\nCity1=Lost\nRegionIdx1=1\n[END-Cities]\n"
                    "[POI]\nType=0x2f00\nCityIdx=1\nStreetDesc=Main\nHouseNumber=4\n"
                    "Data0=(50.1,8.6)\n[END]\n");
    const test::RunResult compile = test::runProgram(MP2ZEL_EXE, dir.path(), {});
    ASSERT_EQ(compile.exitCode, 0) << compile.out;
    EXPECT_NE(compile.out.find(" Unknown owner ID -6"), std::string::npos) << compile.out;

    const format::ZelFile zel = format::readZel(test::readFile(dir / "orphan.zel"));
    EXPECT_TRUE(zel.valid());
    const format::AddressSection& address = zel.levels.at(0).address;
    ASSERT_EQ(address.cities.size(), 1u);
    EXPECT_EQ(address.cities[0].name, u"Lost");
    EXPECT_EQ(address.cities[0].houses.at(0).houses.at(0).name, u"4");
    EXPECT_TRUE(address.regions.empty());
    ASSERT_EQ(zel.warnings.size(), 1u);
    EXPECT_EQ(zel.warnings[0].offset, address.cities[0].offset);

    const test::RunResult summary = test::runProgram(ZELDUMP_EXE, dir.path(), {"orphan.zel"});
    EXPECT_EQ(summary.exitCode, 0);
    EXPECT_NE(summary.out.find("valid\n1 warnings\n  byte " +
                               std::to_string(address.cities[0].offset) + " (0x"),
              std::string::npos)
        << summary.out;
    EXPECT_NE(summary.out.find("city 0 belongs to no region"), std::string::npos);
}

} // namespace
} // namespace zel
