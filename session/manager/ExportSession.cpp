#include "session/manager/ExportSession.h"

#include <cstring>

namespace Tavrel
{
int getExportSessionKindOfTitleKey(const char* titleKey)
{
    if (titleKey == nullptr)
        return kExportSessionNone;
    if (std::strcmp(titleKey, kExportTitleKey) == 0)
        return kExportSessionFileExport;
    if (std::strcmp(titleKey, kDiscBurnTitleKey) == 0)
        return kExportSessionDiscBurn;
    if (std::strcmp(titleKey, kDiscEraseTitleKey) == 0)
        return kExportSessionDiscErase;
    return kExportSessionNone;
}

void ExportSession::notifyStarted()
{
    CallListeners([this](ExportSessionListener& listener) { listener.exportSessionStarted(this); });
}

void ExportSession::notifyProcessingStarted()
{
    CallListeners([this](ExportSessionListener& listener) { listener.exportSessionProcessingStarted(this); });
}

void ExportSession::notifyFinished(bool aborted)
{
    CallListeners([this, aborted](ExportSessionListener& listener) { listener.exportSessionFinished(this, aborted); });
}

void ExportSession::notifyError(const char* key, const juce::SparseSet<int>& songs, const juce::StringArray& texts)
{
    CallListeners([&](ExportSessionListener& listener) { listener.exportSessionError(this, key, songs, texts); });
}

bool ExportSession::notifyWarning(const char* key, const juce::SparseSet<int>& songs, const juce::StringArray& texts)
{
    bool goOn = true;
    CallListeners([&](ExportSessionListener& listener) {
        const bool answer = listener.exportSessionWarning(this, key, songs, texts);
        goOn = goOn && answer;
    });
    return goOn;
}

void ExportSession::notifyProgress(double progress, const char* key, const juce::StringArray& texts)
{
    CallListeners([&](ExportSessionListener& listener) { listener.exportSessionProgress(this, progress, key, texts); });
}

bool ExportSession::notifyAskRepeat()
{
    bool repeat = false;
    CallListeners([&](ExportSessionListener& listener) {
        const bool answer = listener.exportSessionAskRepeat(this);
        repeat = repeat || answer;
    });
    return repeat;
}
} // namespace Tavrel
