#include "format/records.h"

#include "format/bytes.h"
#include "format/layout.h"

namespace zel::format {
namespace {

const char* kindName(uint8_t kind) {
    switch (kind) {
    case layout::recordPoi:
        return "POI";
    case layout::recordLine:
        return "polyline";
    case layout::recordPolygon:
        return "polygon";
    default:
        return "unknown";
    }
}

// Walks one block's records, keeping the file offset of everything it reports.
class RecordDecoder {
public:
    RecordDecoder(std::span<const uint8_t> bytes, std::vector<Problem>& problems, uint64_t base)
        : in(bytes), problems(problems), base(base) {}

    // One record, whose position in the block calls for `expectedKind`. False
    // when the rest of the block cannot be decoded.
    bool decode(uint8_t expectedKind, Record& record) {
        const size_t start = in.position();
        record.offset = base + start;
        record.flags = in.readU8();
        const uint8_t labelBytes = in.readU8();
        record.type = in.readU16();
        record.pointCount = in.readU16();
        if (in.failed())
            return truncated(start);
        record.kind = record.flags & 0x03;
        if ((record.flags & layout::recordReserved) != 0)
            report(start, "reserved flag bits set");
        if (record.kind == 0) {
            // Without a kind the layout of what follows is unknown.
            report(start, "record of kind 0");
            return false;
        }
        if (record.kind != expectedKind) {
            report(start, std::string(kindName(record.kind)) + " record where the block's counts " +
                              "call for a " + kindName(expectedKind) + " record");
        }
        if ((record.flags & layout::recordRouting) != 0 && record.kind != layout::recordLine)
            report(start, "routing flag on a record that is not a polyline");
        if ((record.flags & layout::recordExtra) != 0 && record.kind == layout::recordPoi)
            report(start, "extra-data flag on a POI record");

        switch (record.kind) {
        case layout::recordPoi:
            return decodePoi(start, labelBytes, record);
        case layout::recordLine:
            return decodeLine(start, labelBytes, record);
        default:
            return decodePolygon(start, labelBytes, record);
        }
    }

    size_t position() const { return in.position(); }
    size_t remaining() const { return in.remaining(); }

private:
    bool decodePoi(size_t start, uint8_t labelBytes, Record& record) {
        // The layout gives a POI exactly one point; reading one keeps a wrong
        // count from turning into a cascade of follow-on problems.
        if (record.pointCount != 1)
            report(start + 4, "POI record with " + std::to_string(record.pointCount) + " points");
        return readPoints(start, 1, record) && readLabel(start, labelBytes, record);
    }

    bool decodeLine(size_t start, uint8_t labelBytes, Record& record) {
        if (record.pointCount < 2)
            report(start + 4, "polyline record with fewer than 2 points");
        if (!readPoints(start, record.pointCount, record))
            return false;
        if ((record.flags & layout::recordExtra) != 0) {
            record.hasHeights = true;
            if (in.remaining() / 4 < record.pointCount)
                return truncated(start);
            record.heights.reserve(record.pointCount);
            for (uint32_t i = 0; i < record.pointCount; ++i)
                record.heights.push_back(in.readI32());
        }
        if (!readLabel(start, labelBytes, record))
            return false;
        if ((record.flags & layout::recordRouting) != 0)
            return readRouting(start, record);
        return true;
    }

    bool decodePolygon(size_t start, uint8_t labelBytes, Record& record) {
        if ((record.flags & layout::recordExtra) != 0) {
            record.hasFloors = true;
            record.floors = in.readU16();
        }
        if (record.pointCount < 3)
            report(start + 4, "polygon record with fewer than 3 points");
        return readPoints(start, record.pointCount, record) && readLabel(start, labelBytes, record);
    }

    bool readPoints(size_t start, uint32_t count, Record& record) {
        // Every point takes at least two bytes: a count larger than that is
        // not allowed to reserve memory.
        if (in.failed() || in.remaining() / 2 < count)
            return truncated(start);
        record.offsets.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            Offset point;
            point.dx = readOffset();
            point.dy = readOffset();
            record.offsets.push_back(point);
        }
        return in.ok() || truncated(start);
    }

    // One byte for 0..127; else two, high byte first with bit 7 as the marker.
    int32_t readOffset() {
        const size_t at = in.position();
        const uint8_t first = in.readU8();
        if ((first & 0x80) == 0)
            return first;
        const uint8_t second = in.readU8();
        const int32_t value = ((first & 0x7F) << 8) | second;
        if (in.ok() && value < 0x80)
            report(at, "offset " + std::to_string(value) + " written in two bytes");
        return value;
    }

    bool readLabel(size_t start, uint8_t labelBytes, Record& record) {
        record.labelOffset = base + in.position();
        if ((labelBytes & 1) != 0)
            report(start + 1, "odd label length " + std::to_string(labelBytes));
        if (in.remaining() < labelBytes)
            return truncated(start);
        record.label.reserve(labelBytes / 2);
        for (int i = 0; i < labelBytes / 2; ++i)
            record.label.push_back(static_cast<char16_t>(in.readU16()));
        in.skip(labelBytes & 1);
        return in.ok() || truncated(start);
    }

    bool readRouting(size_t start, Record& record) {
        const size_t at = in.position();
        record.hasRouting = true;
        record.roadId = in.readU32();
        const uint32_t count = in.readU32();
        if (in.failed() || in.remaining() / 8 < count)
            return truncated(start);
        // Road index 0 means "no road", which gets no routing block at all.
        if (record.roadId == 0)
            report(at, "routing block of road index 0");
        record.nodeRefs.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            const size_t refAt = in.position();
            NodeRef ref;
            ref.pointIndex = in.readU16();
            ref.nodeId = in.readI32();
            ref.boundary = in.readU16();
            if (ref.pointIndex >= record.pointCount) {
                report(refAt, "node reference to point " + std::to_string(ref.pointIndex) + " of " +
                                  std::to_string(record.pointCount));
            }
            record.nodeRefs.push_back(ref);
        }
        return true;
    }

    bool truncated(size_t start) {
        report(start, "record runs past the end of its block");
        return false;
    }

    void report(size_t at, std::string what) { problems.push_back({base + at, std::move(what)}); }

    ByteReader in;
    std::vector<Problem>& problems;
    uint64_t base;
};

} // namespace

std::vector<Record> decodeRecords(std::span<const uint8_t> bytes, uint32_t poiCount,
                                  uint32_t lineCount, uint32_t polygonCount,
                                  std::vector<Problem>& problems, uint64_t baseOffset) {
    std::vector<Record> records;
    RecordDecoder decoder(bytes, problems, baseOffset);
    const uint64_t total = uint64_t{poiCount} + lineCount + polygonCount;
    uint64_t decoded = 0;
    // Every record consumes at least its six header bytes, so the loop ends
    // with the bytes whatever the counts claim.
    for (; decoded < total; ++decoded) {
        if (decoder.remaining() == 0) {
            problems.push_back({baseOffset + bytes.size(),
                                "block ends after " + std::to_string(decoded) +
                                    " records, its counts say " + std::to_string(total)});
            return records;
        }
        const uint8_t expected = decoded < lineCount                        ? layout::recordLine
                                 : decoded < uint64_t{lineCount} + poiCount ? layout::recordPoi
                                                                            : layout::recordPolygon;
        Record record;
        const bool ok = decoder.decode(expected, record);
        if (!ok)
            return records;
        records.push_back(std::move(record));
    }
    if (decoder.remaining() != 0) {
        problems.push_back(
            {baseOffset + decoder.position(),
             std::to_string(decoder.remaining()) + " bytes after the block's last record"});
    }
    return records;
}

} // namespace zel::format
