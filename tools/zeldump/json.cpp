#include "tools/zeldump/json.h"

#include "platform/utf.h"
#include "tools/zeldump/text.h"
#include "tools/zeldump/view.h"

namespace zel::dump {

void JsonWriter::newline() {
    out += '\n';
    out.append(2 * frames.size(), ' ');
}

void JsonWriter::beforeValue() {
    if (afterKey) {
        afterKey = false;
        return;
    }
    if (frames.empty())
        return;
    Frame& frame = frames.back();
    if (!frame.empty)
        out += frame.inlined ? ", " : ",";
    if (!frame.inlined)
        newline();
    frame.empty = false;
}

void JsonWriter::open(char bracket, bool inlined) {
    beforeValue();
    out += bracket;
    // Inside an inlined container everything stays on its line.
    const bool parentInlined = !frames.empty() && frames.back().inlined;
    frames.push_back({inlined || parentInlined, true});
}

void JsonWriter::close(char bracket) {
    const Frame frame = frames.back();
    frames.pop_back();
    if (!frame.inlined && !frame.empty)
        newline();
    out += bracket;
    if (frames.empty())
        out += '\n';
}

JsonWriter& JsonWriter::key(std::string_view name) {
    beforeValue();
    out += jsonString(name);
    out += ": ";
    afterKey = true;
    return *this;
}

void JsonWriter::string(std::string_view utf8) {
    beforeValue();
    out += jsonString(utf8);
}

void JsonWriter::number(int64_t value) {
    beforeValue();
    out += std::to_string(value);
}

void JsonWriter::unsignedNumber(uint64_t value) {
    beforeValue();
    out += std::to_string(value);
}

void JsonWriter::real(double value, int decimals) {
    beforeValue();
    out += fixed(value, decimals);
}

void JsonWriter::boolean(bool value) {
    beforeValue();
    out += value ? "true" : "false";
}

namespace {

// Seven decimals of a degree are about a centimetre, finer than the finest
// level unit (2^26 to the turn).
constexpr int degreeDecimals = 7;

void writeProblems(JsonWriter& w, const char* key, const std::vector<format::Problem>& problems) {
    w.key(key).beginArray();
    for (const format::Problem& p : problems) {
        w.beginObject(true);
        w.key("offset").unsignedNumber(p.offset);
        w.key("what").string(p.what);
        w.endObject();
    }
    w.endArray();
}

void writeRecord(JsonWriter& w, const format::Level& level, const format::Block& block,
                 const format::Record& r) {
    w.beginObject();
    w.key("offset").unsignedNumber(r.offset);
    w.key("kind").string(kindName(r.kind));
    w.key("type").string(hexType(r.type));
    w.key("flags").unsignedNumber(r.flags);
    w.key("label").string(platform::toUtf8(r.label));
    w.key("points").beginArray();
    for (const Point& p : absolutePoints(block, r)) {
        w.beginObject(true);
        w.key("lon").real(longitude(p.x, level.bits), degreeDecimals);
        w.key("lat").real(latitude(p.y, level.bits), degreeDecimals);
        w.key("x").number(p.x);
        w.key("y").number(p.y);
        w.endObject();
    }
    w.endArray();
    if (r.hasHeights) {
        w.key("heights").beginArray(true);
        for (int32_t h : r.heights)
            w.number(h);
        w.endArray();
    }
    if (r.hasFloors)
        w.key("floors").unsignedNumber(r.floors);
    if (r.hasRouting) {
        w.key("routing").beginObject();
        w.key("road").unsignedNumber(r.roadId);
        w.key("nodes").beginArray();
        for (const format::NodeRef& n : r.nodeRefs) {
            w.beginObject(true);
            w.key("point").unsignedNumber(n.pointIndex);
            w.key("node").number(n.nodeId);
            w.key("boundary").unsignedNumber(n.boundary);
            w.endObject();
        }
        w.endArray();
        w.endObject();
    }
    w.endObject();
}

void writeBlock(JsonWriter& w, const format::Level& level, const format::Block& block,
                bool records) {
    w.beginObject();
    w.key("square").number(block.square);
    if (const std::optional<SquarePlace> place = squarePlace(level, block.square)) {
        w.key("column").number(place->column);
        w.key("row").number(place->row);
    }
    w.key("offset").unsignedNumber(block.offset);
    w.key("baseX").number(block.baseX);
    w.key("baseY").number(block.baseY);
    w.key("counts").beginObject(true);
    w.key("poi").unsignedNumber(block.poiCount);
    w.key("polyline").unsignedNumber(block.lineCount);
    w.key("polygon").unsignedNumber(block.polygonCount);
    w.endObject();
    w.key("bytes").unsignedNumber(block.length);
    if (records) {
        w.key("records").beginArray();
        for (const format::Record& r : block.records)
            writeRecord(w, level, block, r);
        w.endArray();
    }
    w.endObject();
}

void writeRouting(JsonWriter& w, const format::Level& level) {
    const RoutingCounts r = routingCounts(level);
    w.key("routing").beginObject(true);
    w.key("roads").unsignedNumber(r.roads);
    w.key("nodes").unsignedNumber(r.nodes);
    if (r.arcs)
        w.key("arcs").unsignedNumber(*r.arcs);
    w.key("adjustments").unsignedNumber(r.adjustments);
    w.key("replacements").unsignedNumber(r.replacements);
    w.key("boundaryNodes").unsignedNumber(r.boundaryNodes);
    w.key("boundaryCostLists").unsignedNumber(r.boundaryCostLists);
    if (r.boundaryCosts)
        w.key("boundaryCosts").unsignedNumber(*r.boundaryCosts);
    w.key("largestCost").unsignedNumber(r.largestCost);
    w.key("restrictions").unsignedNumber(r.restrictions);
    w.endObject();
}

void writeAddress(JsonWriter& w, const format::Level& level) {
    const AddressCounts a = addressCounts(level);
    w.key("address").beginObject(true);
    w.key("strings").unsignedNumber(a.strings);
    w.key("cities").unsignedNumber(a.cities);
    w.key("regions").unsignedNumber(a.regions);
    w.key("countries").unsignedNumber(a.countries);
    if (a.objects)
        w.key("objects").unsignedNumber(*a.objects);
    w.endObject();
}

void writeLevel(JsonWriter& w, const Inspection& inspection, size_t position,
                const JsonRequest& request) {
    const format::Level& level = inspection.zel.levels[position];
    w.beginObject();
    w.key("position").unsignedNumber(position);
    w.key("index").unsignedNumber(level.index);
    w.key("bits").unsignedNumber(level.bits);
    w.key("squareSize").unsignedNumber(level.squareSize);
    w.key("squareRange").beginObject(true);
    w.key("c0").number(level.c0);
    w.key("r0").number(level.r0);
    w.key("c1").number(level.c1);
    w.key("r1").number(level.r1);
    w.endObject();
    w.key("squares").unsignedNumber(level.blocks.size());
    const RecordCounts counts = countRecords(level);
    w.key("records").beginObject(true);
    w.key("poi").unsignedNumber(counts.pois);
    w.key("polyline").unsignedNumber(counts.lines);
    w.key("polygon").unsignedNumber(counts.polygons);
    w.endObject();
    w.key("offsets").beginObject(true);
    w.key("directory").unsignedNumber(level.directoryOffset);
    w.key("data").unsignedNumber(level.dataOffset);
    w.key("routing").unsignedNumber(level.routingOffset);
    w.key("address").unsignedNumber(level.addressOffset);
    w.endObject();
    if (level.routing.header.present)
        writeRouting(w, level);
    if (level.address.header.present)
        writeAddress(w, level);
    if (request.records || request.square) {
        w.key("blocks").beginArray();
        for (const format::Block& block : level.blocks) {
            if (block.decoded && (!request.square || *request.square == block.square))
                writeBlock(w, level, block, request.records);
        }
        w.endArray();
    }
    w.endObject();
}

} // namespace

std::string jsonText(const Inspection& inspection, const JsonRequest& request) {
    const format::ZelFile& zel = inspection.zel;
    JsonWriter w;
    w.beginObject();
    w.key("file").string(inspection.name);
    w.key("size").unsignedNumber(zel.size);
    w.key("valid").boolean(zel.valid());
    writeProblems(w, "problems", zel.problems);
    writeProblems(w, "warnings", zel.warnings);
    w.key("version").string(std::to_string(zel.version[0]) + "." + std::to_string(zel.version[1]));
    w.key("banner").string(bannerText(zel.banner));
    w.key("crc").beginObject(true);
    w.key("stored").string(hex32(zel.storedCrc));
    w.key("computed").string(hex32(zel.computedCrc));
    w.endObject();
    w.key("characters").string(platform::toUtf8(zel.chars));
    w.key("levelCount").unsignedNumber(zel.levelCount);
    w.key("levels").beginArray();
    for (size_t k = 0; k < zel.levels.size(); ++k) {
        if (!request.level || *request.level == k)
            writeLevel(w, inspection, k, request);
    }
    w.endArray();
    w.endObject();
    return w.text();
}

} // namespace zel::dump
