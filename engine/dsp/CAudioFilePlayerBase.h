#pragma once

#include "engine/audiofile/CBJXListenerOwner.h"
#include "engine/audiofile/CThread.h"
#include "engine/dsp/CAudioFileTransport.h"

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
