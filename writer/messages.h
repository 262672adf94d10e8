// Everything the tiled map writer prints, in one place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zel::writerMessages {

constexpr std::string_view polylineOutOfMap = "Part of polyline out of map\n";
constexpr std::string_view poiOutOfMap = "POI out of map\n";
// The polygon pass has always said "polyLine" here; kept for users who search
// their logs for it.
constexpr std::string_view polygonOutOfMap = "Part of polyLine out of map\n";
constexpr std::string_view allDone = "\rAll done.\n";

constexpr std::string_view polylinesLabel = " PolyLines: ";
constexpr std::string_view poisLabel = " POI: ";
constexpr std::string_view polygonsLabel = " Polygons: ";
constexpr std::string_view writeSquaresLabel = " Write squares: ";

// Address objects whose city, or houses whose street, the file cannot hold;
// neither ends with a line break.
std::string unknownCity(uint32_t cityKey);
constexpr std::string_view absentPolyline = "Absent polyline for houses";

// A side file that could not be written whole; the level's main file will
// then not be written either.
std::string sideFileFailed(std::u16string_view name);

} // namespace zel::writerMessages
