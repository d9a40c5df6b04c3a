#pragma once

#include <cstdint>
#include <vector>

#include "platform/burn/DiscRecorder.h"

namespace qm::platform
{
// Builds the CD-TEXT packs (18 bytes each, no header) of an audio session:
// one English block of ISO 8859-1 texts with the disc's and every track's
// title and performer. `packs` is left empty when every text is empty. False
// when the texts do not fit into one block.
bool BuildCdTextPacks(const RecorderDisc& disc, std::vector<uint8_t>& packs);
} // namespace qm::platform
