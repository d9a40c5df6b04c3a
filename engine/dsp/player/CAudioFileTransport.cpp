#include "engine/dsp/player/CAudioFileTransport.h"

#include "engine/audiofile/tags/CMarker.h"

void CAudioFileTransportListener::transportStateChanged(CAudioFileTransport*) {}
void CAudioFileTransportListener::transportStopped(CAudioFileTransport*) {}

void CAudioFileTransport::FastForward() {}
void CAudioFileTransport::Rewind() {}
void CAudioFileTransport::CuePlayFrom() {}
void CAudioFileTransport::CuePlayTo() {}

double CAudioFileTransport::SetPosition(double)
{
    return GetPosition();
}

double CAudioFileTransport::SetPositionPercent(double)
{
    return GetPositionPercent();
}

bool CAudioFileTransport::SetHoldAtEnd(bool)
{
    return false;
}

bool CAudioFileTransport::GetHoldAtEnd()
{
    return false;
}

bool CAudioFileTransport::IsHoldingAtEnd()
{
    return false;
}

bool CAudioFileTransport::IsRewoundToStart()
{
    return false;
}

bool CAudioFileTransport::JumpToMarker(int)
{
    return false;
}

bool CAudioFileTransport::NextMarker()
{
    return false;
}

bool CAudioFileTransport::PreviousMarker()
{
    return false;
}

int CAudioFileTransport::GetMarkerIndexAtPosition()
{
    CMarker* marks = GetMarkers();
    if (marks == nullptr || marks->GetCount() == 0)
        return 0;
    return marks->FindIndex(GetPosition());
}

CDynamicControl* CAudioFileTransport::GetDynamicControl()
{
    return nullptr;
}
