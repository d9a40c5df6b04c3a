#pragma once

#include "engine/audiofile/foundation/CBJXListenerOwner.h"
#include "engine/audiofile/foundation/CThread.h"
#include "engine/dsp/player/CAudioFileTransport.h"

// A file player: its reader thread, its transport and its listeners. The
// listener list is locked, since the reader thread calls it while the owner
// adds and removes listeners.
class CAudioFilePlayerBase : public CThread,
                             public CAudioFileTransport,
                             public CBJXListenerOwner<CAudioFileTransportListener>
{
public:
    ~CAudioFilePlayerBase() override = default;
};
