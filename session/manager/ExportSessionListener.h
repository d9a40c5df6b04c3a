#pragma once

// The session-event interface lives with the application core, so that the
// controller can listen to sessions without depending on this layer.
#include "app/core/ExportSessionListener.h"
