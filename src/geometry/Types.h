#pragma once
// The small value types live below the user-interface seam, which uses them
// too; the geometry and everything above keep including them from here.
#include "base/Types.h"
