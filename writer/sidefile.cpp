#include "writer/sidefile.h"

#include "format/layout.h"
#include "platform/console.h"
#include "platform/utf.h"
#include "writer/messages.h"

namespace zel {

Bytes charBlock(const LabelChars& chars) {
    const std::u16string units = chars.units();
    Bytes out;
    putTag(out, layout::charTag);
    putU16(out, static_cast<uint16_t>(2 * units.size()));
    putU16(out, 0);
    for (const char16_t unit : units)
        putU16(out, unit);
    return out;
}

SideFiles sideFilesOf(const std::u16string& mapPath, uint32_t levelIndex) {
    const std::u16string stem = mapPath + platform::fromAscii(std::to_string(levelIndex));
    const auto named = [&](std::u16string_view suffix) { return stem + std::u16string(suffix); };
    return {named(sideFileSuffix::index), named(sideFileSuffix::blocks),
            named(sideFileSuffix::address), named(sideFileSuffix::chars),
            named(sideFileSuffix::routing)};
}

SideFile::SideFile(std::u16string fileName) : name(std::move(fileName)) {
    if (!file.open(name, platform::File::Mode::create))
        fail();
}

SideFile::~SideFile() {
    close();
}

void SideFile::write(const Bytes& bytes) {
    write(bytes.data(), bytes.size());
}

void SideFile::write(const uint8_t* data, size_t count) {
    if (failed)
        return;
    if (!file.write(data, count))
        fail();
    written += count;
}

void SideFile::close() {
    if (closed)
        return;
    closed = true;
    if (!file.close())
        fail();
    if (failed)
        platform::removeFile(name);
}

void SideFile::fail() {
    if (!failed)
        platform::printNarrow(writerMessages::sideFileFailed(name));
    failed = true;
}

void writeSideFile(const std::u16string& name, const Bytes& bytes) {
    SideFile file(name);
    file.write(bytes);
    file.close();
}

} // namespace zel
