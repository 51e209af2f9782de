#include "qt/artwork_resources.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE declares the resource's init function in the scope it is
// used in, so it has to run outside any namespace.
static void InitArtworkResource() { Q_INIT_RESOURCE(artwork); }

namespace talvon::qt {

void RegisterArtworkResources() {
  static const bool registered = (InitArtworkResource(), true);
  (void)registered;
}

}  // namespace talvon::qt
