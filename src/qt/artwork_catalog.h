// The pictures behind every bitmap and icon id that the dialog templates name.
//
// Each id is a hand-drawn SVG compiled into the program as a Qt resource
// (src/qt/artwork.qrc). The size is the pixel size the templates were laid
// out for; the SVGs scale cleanly when the panel is larger.
#pragma once

#include <span>

namespace talvon::qt {

struct ArtworkEntry {
  int id;                // bitmap or icon resource id as the templates name it
  const char* resource;  // Qt resource path, ":/artwork/<id>_<name>.svg"
  int width;             // pixels
  int height;            // pixels
  const char* role;      // what the picture is for, for people reading logs
};

// Every entry, in ascending id order.
std::span<const ArtworkEntry> AllArtwork();

// The entry of a bitmap or icon id, or nullptr for an id no template names.
const ArtworkEntry* FindArtwork(int id);

}  // namespace talvon::qt
