#pragma once

#include "platform/cd/CdToc.h"

typedef struct _CdIo CdIo_t;

namespace qm::platform
{
// Reads the table of contents through an open libcdio handle. Session numbers
// are left at 1; the caller fills them where the drive can tell them. False
// when libcdio reports no tracks or the layout is not consistent.
bool ReadLibcdioToc(CdIo_t* cdio, CdToc& toc);

// Lets only libcdio's errors through to standard error; its warnings (odd cue
// sheets, short tracks) are no business of the user. Call before opening.
void QuietLibcdioLog();
} // namespace qm::platform
