// Makes the compiled-in artwork reachable under ":/artwork/".
#pragma once

namespace talvon::qt {

// The artwork lives in a static library, whose resource object the linker
// drops unless something refers to it: call this once before loading any
// picture (idempotent).
void RegisterArtworkResources();

}  // namespace talvon::qt
