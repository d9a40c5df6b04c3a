#pragma once

// The listener-list templates live with the engine foundations, so that the
// engine's own objects (the file player) can keep listeners too.
#include "engine/audiofile/foundation/CBJXListenerOwner.h"
