// Pieces of main map files built byte by byte, shared by the tests of the
// format reader and of zeldump.
#pragma once

#include "format/bytes.h"

namespace zel::test {

// An address section: the string "Main", city C with the street "Main" and its
// two one-entry house tables, region R, country X. At these offsets from its
// start: the header; the string at 36; the street at 45; the house tables at
// 67 (objects from 9 past the header); the city record at 83 (its kind
// records at 94, 106, 118); region R at 138; country X at 149; 160 bytes.
Bytes sampleAddressSection();

// Stores the file's CRC register, computed with its own field as zero.
void fixCrc(Bytes& bytes);

} // namespace zel::test
