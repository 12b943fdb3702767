#include "controls/cxControls.h"

namespace controls {

// --- Mouse tracking, popup menus and the work area ----------------------------------------------

// (mouse tracking section)

// --- The base control ---------------------------------------------------------------------------

// (base control section)

} // namespace controls
