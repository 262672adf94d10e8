// The packed little-endian record forms of the address items in the address
// file:
//   name      u8 n, then n UTF-16 units (n at most 255; see nameRecordUnits)
//   country,  name record, u32 childCount, i32 childPos
//   region
//   city      the region form, then per kind record u32 kind, u32 count,
//             u32 pos, then table1 as u32 pos, u32 count
//   object    u8 kind (low 3 bits), u32 ref, name record, f32 x, f32 y
//   file pos  i32 pos, u32 count
#pragma once

#include "format/bytes.h"
#include "model/adritems.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zel {

// The number of units a name record keeps of `name`: at most 255, and 254 when
// the 255th and 256th units form a surrogate pair, so that no character is
// split in half.
size_t nameRecordUnits(std::u16string_view name);

void putRecord(Bytes& out, const mapStrItem& name);
void putRecord(Bytes& out, const mapAdrItem& item);
void putRecord(Bytes& out, const cCityInfo& city);
void putRecord(Bytes& out, const mapAdrObject& object);
void putRecord(Bytes& out, const cFilePos& pos);

// The bytes putRecord appends for the item.
uint32_t recordSize(const mapStrItem& name);
uint32_t recordSize(const mapAdrItem& item);
uint32_t recordSize(const cCityInfo& city);
uint32_t recordSize(const mapAdrObject& object);

} // namespace zel
