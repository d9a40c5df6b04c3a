#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <cstdint>

#include "disc/CDiscBurnImp.h"
#include "session/export/OutputExportSessionBase.h"
#include "session/parameters/DiscBurnParameter.h"

class CAudioDiscBurnProxy;
class CAudioDiscBurnBase;

namespace Tavrel
{
// Burns the chosen songs to an audio CD. start (message thread) checks the
// drive, the songs, the temporary folder and the sizes and prepares the
// burner; the session's thread ("DiscBurnSessionThread") waits for a blank
// disc, runs the normalise pass, renders the songs into the burner's track
// files (the disc image, in a private folder of the temporary folder),
// writes the disc and offers to burn the same image again.
//
// Every call that reaches the drive layer is made under the burner's lock,
// except the polling of a running write; no session event is raised while
// that lock or the session lock is held.
class DiscBurnSession : public OutputExportSessionBase, public juce::Thread
{
public:
    DiscBurnSession(CAudioDiscBurnProxy* proxy, const DiscBurnParameter& disc, const CommonExportParameter& common);
    // Stops the session's thread (cancel, then wait without a limit) first.
    ~DiscBurnSession() override;

    const char* getTitleKey() const override { return kDiscBurnTitleKey; }
    bool start() override;
    unsigned getOutputSampleRate() override;
    // True only when the last write started and its result is 0.
    bool hasSucceeded() override;
    juce::String getFailureText() override;
    void run() override;

    // The leftover disc images of an earlier run in the temporary folder:
    // real folders named "TavrelDiscImage_" and exactly 14 digits.
    static juce::Array<juce::File> findLeftoverDiscImages(const juce::File& temporaryFolder);

protected:
    void cancelHook() override;

private:
    CAudioDiscBurnBase* getBurner() const;
    // The disc check: null when the disc in the drive is suitable, else the
    // reason's key (texts in m_lastTexts).
    const char* checkDisc();
    bool waitForBlankDisc();
    bool createImage();
    void writeDisc();
    void eject();
    bool discPresent();
    // Removes the disc image folder with what is in it.
    void removeImageFolder();

    CAudioDiscBurnProxy* m_proxy;
    DiscBurnDeviceRecord m_drive;
    DiscBurnParameter m_disc;
    juce::File m_imageFolder;
    uint64_t m_requiredSize = 0;
    bool m_songsOnDisc = false;
    std::atomic<bool> m_cancelRequest{false};
    juce::StringArray m_lastTexts;
    std::atomic<bool> m_writeStarted{false};
};
} // namespace Tavrel
