#include <gtest/gtest.h>

#include "app/core/WideText.h"
#include "engine/audiofile/io/AudioFileReaderFactory.h"
#include "engine/audiofile/io/CAudioFileReadBase.h"
#include "platform/burn/DiscRecorderRegistry.h"
#include "platform/cd/CdDriveRegistry.h"
#include "session/parameters/DiscBurnParameter.h"
#include "tests/session/FakeExportSession.h"
#include "tests/support/ModalResponder.h"
#include "tests/ui/export/ExportUiFixture.h"
#include "ui/disc/DiscBurnSheet.h"
#include "ui/disc/DiscOpenSheet.h"

using Tavrel::DiscBurnParameter;
using Tavrel::DiscBurnSheet;

namespace
{
constexpr const char* kProperty = "isCancelled";

TEST(DiscBurnStates, TheLabelsTexts)
{
    juce::ScopedJuceInitialiser_GUI framework;
    CBJXResource::GetInstance();
    struct Case
    {
        int type;
        bool blank;
        const char* text;
    };
    for (const Case& c : {Case{-1, false, "No Disc"}, Case{0, true, "Unknown disc type"}, Case{2, true, "CD-R(Blank)"},
                          Case{3, false, "CD-RW(Used)"}, Case{20, false, "HD DVD-RW(Used)"}})
        EXPECT_EQ(DiscBurnSheet::discStateText(c.type, c.blank), c.text) << c.type;
    CBJXResource::Release();
}

// The sheet over image targets of the program's own disc writer.
class DiscBurnSheetTest : public qm::test::ExportUiFixture
{
protected:
    ~DiscBurnSheetTest() override
    {
        if (sheet != nullptr && sheet->getState() == CBfcSheet::kOpen)
            sheet->close();
        qm::test::PumpUntil([&] { return exports->getCurrentSessionKind() == 0; }, 60);
        sheet.reset();
        for (const std::string& name : targets)
        {
            qm::platform::DiscRecorderRegistry::Instance().UnregisterImageTarget(name);
            qm::platform::CdDriveRegistry::Instance().UnregisterImage(name);
        }
    }
    std::string Target(const std::string& name, const qm::platform::ImageRecorderOptions& options = {})
    {
        std::string registered;
        EXPECT_TRUE(qm::platform::DiscRecorderRegistry::Instance().RegisterImageTarget(folder.file(name).string(),
                                                                                       options, &registered));
        targets.push_back(registered);
        exports->getDiscBurnProxy()->SetRecreate(true);
        return registered;
    }
    void Make()
    {
        sheet = std::make_unique<DiscBurnSheet>(kProperty);
        sheet->setVisible(false);
        main.addChildComponent(*sheet);
    }
    void Open()
    {
        ASSERT_TRUE(sheet->open());
        ASSERT_TRUE(qm::test::PumpUntil([&] { return sheet->getState() == CBfcSheet::kOpen; }, 5));
    }
    bool LabelReads(const juce::String& text)
    {
        return qm::test::PumpUntil([&] { return sheet->getDiscStateLabel().getText() == text; }, 5);
    }

    std::vector<std::string> targets;
    std::unique_ptr<DiscBurnSheet> sheet;
};

// A blank target: the label, no update while nothing changes, the options,
// and a burn that saves the settings and writes two tracks.
TEST_F(DiscBurnSheetTest, BurnOntoABlankTarget)
{
    const std::string target = Target("blank");
    Named({"one", "two"}, 4.0); // a disc's shortest track
    for (Tavrel::TrackInfo* song : host->tracks)
        song->setTextField("Round Trip", Tavrel::TrackInfo::kAlbum, false);
    Make();
    Open();
    ASSERT_TRUE(LabelReads("CD-R(Blank)"));
    const int updates = sheet->getStateUpdateCount();
    juce::MessageManager::getInstance()->runDispatchLoopUntil(1200);
    EXPECT_EQ(sheet->getStateUpdateCount(), updates) << "equal polls update nothing";
    EXPECT_EQ(sheet->getOptionsDisplay().getBounds().withZeroOrigin(), juce::Rectangle<int>(0, 0, 296, 64))
        << "a writer of CD-TEXT: four rows";

    // Eject goes to the drive under the burner's lock while polling goes on.
    sheet->getEjectButton().triggerClick();
    qm::test::PumpPosted();
    EXPECT_TRUE(sheet->isPolling());

    struct Started final : public Tavrel::ExportSessionListener
    {
        void exportSessionFinished(Tavrel::ExportSession*, bool wasAborted) override
        {
            finished = true;
            aborted = wasAborted;
        }
        bool finished = false;
        bool aborted = false;
    } events;
    exports->AddListener(&events);
    sheet->getBurnButton().triggerClick();
    ASSERT_TRUE(qm::test::PumpUntil([&] { return events.finished; }, 60));
    exports->RemoveListener(&events);
    EXPECT_FALSE(events.aborted);
    EXPECT_EQ(sheet->getProperties()[kProperty], juce::var(false));
    for (const char* key : {"Export_Disc_Format", "Export_Disc_Gap", "Export_Disc_EraseMode", "Export_Drive_Name",
                            "Export_Common_Source", "Export_Common_NormalizeMode"})
        EXPECT_TRUE(SettingsHold(key)) << key;
    const std::string info = qm::test::runCommandOutput("cd-info --no-device-info --cue-file " +
                                                        qm::test::shellQuote(target + ".cue") + " 2>/dev/null");
    int audioTracks = 0;
    for (size_t at = info.find("audio"); at != std::string::npos; at = info.find("audio", at + 1))
        ++audioTracks;
    EXPECT_GE(audioTracks, 2);

    // Round trip: the disc in the disc-open sheet, with its album title;
    // Open adds its two songs, as long as the songs burned (within a sector).
    sheet->close();
    ASSERT_TRUE(qm::platform::CdDriveRegistry::Instance().RegisterImage(target + ".cue"));
    Tavrel::DiscOpenSheet open;
    open.setVisible(false);
    main.addChildComponent(open);
    ASSERT_TRUE(open.open());
    ASSERT_TRUE(qm::test::PumpUntil([&] { return open.getShownDiscCount() == 1; }, 10));
    EXPECT_EQ(open.getShownDisc(0)->title, "Round Trip");
    open.getTable().selectRow(0);
    open.getOpenButton().triggerClick();
    ASSERT_TRUE(qm::test::PumpUntil([&] { return host->GetTrackCount() == 4; }, 20));
    for (int i = 2; i < 4; ++i)
        EXPECT_NEAR(host->GetTrack(i)->getLengthInSeconds(), 4.0, 588.0 / 44100.0 + 1e-6) << i;
}

// A drive without raw P-W writing: the gap warning after the slide-in;
// ticked, it stays away for that drive, also in a new process.
TEST_F(DiscBurnSheetTest, TheGapWarning)
{
    qm::platform::ImageRecorderOptions trackAtOnce;
    trackAtOnce.modes = {true, false, false, false};
    Target("tao", trackAtOnce);
    Make();
    {
        qm::test::ModalResponder responder([](juce::Component& modal, qm::test::ModalResponder& self) {
            for (juce::Component* child : modal.getChildren())
                if (auto* box = dynamic_cast<juce::ToggleButton*>(child))
                    box->setToggleState(true, juce::dontSendNotification);
            qm::test::ModalResponder::pressKey("Return")(modal, self);
        });
        Open();
        ASSERT_TRUE(qm::test::PumpUntil([&] { return responder.answered(); }, 10));
        qm::test::PumpPosted();
        EXPECT_EQ(responder.seen().title, Text("Common_WarningDialogTitle"));
    }
    EXPECT_EQ(sheet->getOptionsDisplay().getBounds().withZeroOrigin(), juce::Rectangle<int>(0, 0, 296, 32))
        << "no CD-TEXT on this drive: gap and normalise only";
    EXPECT_TRUE(SettingsHold("Export_Num_Drives_Hides_Warnings"));
    EXPECT_TRUE(SettingsHold("Export_Drive_Hides_Warnings_0"));
    sheet->getCancelButton().triggerClick();
    qm::test::PumpPosted();
    EXPECT_EQ(sheet->getProperties()[kProperty], juce::var(true));
    EXPECT_EQ(sheet->getState(), CBfcSheet::kClosed);

    // Opened again, and in a new process (the settings read anew): no warning.
    juce::MessageManager::getInstance()->runDispatchLoopUntil(400);
    CTVPreferences::Release();
    CTVPreferences::GetInstance();
    sheet.reset();
    Make();
    Open();
    juce::MessageManager::getInstance()->runDispatchLoopUntil(500);
    EXPECT_EQ(juce::Component::getCurrentlyModalComponent(), sheet.get());
}

// Burn while another session runs: refused, nothing saved, polling again.
TEST_F(DiscBurnSheetTest, ARefusedBurn)
{
    Target("blank");
    Named({"one"}, 4.0);
    static FakeExportSession::Record record;
    static std::atomic<bool> release{false};
    ASSERT_TRUE(exports->startSession(std::make_unique<FakeExportSession>(
        record, "Export_Title", true, [](FakeExportSession& s) {
            while (!release && !s.cancelled)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            s.notifyFinished(true);
        })));
    Make();
    Open();
    ASSERT_TRUE(LabelReads("CD-R(Blank)"));
    const juce::MemoryBlock before = SettingsBytes();
    sheet->getBurnButton().triggerClick();
    qm::test::PumpPosted();
    EXPECT_TRUE(SettingsBytes() == before);
    EXPECT_TRUE(sheet->getProperties()[kProperty].isVoid());
    EXPECT_EQ(sheet->getState(), CBfcSheet::kOpen);
    EXPECT_TRUE(qm::test::PumpUntil([&] { return sheet->isPolling(); }, 5));
    release = true;
}

// Erasing: the check names the songs read from the disc; a passed check asks
// with "Quick Erase", and a full erase is stored and done.
TEST_F(DiscBurnSheetTest, Erasing)
{
    qm::platform::ImageRecorderOptions rewritable;
    rewritable.rewritable = true;
    const std::string target = Target("rw", rewritable);
    Named({"one"}, 1.0);
    Make();
    Open();
    ASSERT_TRUE(LabelReads("CD-RW(Blank)"));
    struct Ended final : public Tavrel::ExportSessionListener
    {
        void exportSessionFinished(Tavrel::ExportSession*, bool) override { ++finished; }
        int finished = 0;
    } events;
    exports->AddListener(&events);
    sheet->getBurnButton().triggerClick();
    ASSERT_TRUE(qm::test::PumpUntil([&] { return events.finished == 1; }, 60));
    ASSERT_TRUE(qm::platform::CdDriveRegistry::Instance().RegisterImage(target + ".cue"));
    {
        // A song read from the disc in the drive.
        std::unique_ptr<CAudioFileReadBase> reader(
            CreateAudioFileReader(toEngineText(juce::String(target + "/Track01.cda")).c_str(), false));
        ASSERT_NE(reader, nullptr);
        auto* song = new Tavrel::TrackInfo(*reader);
        song->setTextField("from the disc", Tavrel::TrackInfo::kSongName, false);
        host->tracks.push_back(song);
        song->addListener(host);
        host->RebuildNameIndex();
    }
    {
        qm::test::ModalResponder responder(qm::test::ModalResponder::pressKey("Return"));
        sheet->getEraseButton().triggerClick();
        ASSERT_TRUE(qm::test::PumpUntil([&] { return responder.answered(); }, 10));
        qm::test::PumpPosted();
        EXPECT_EQ(responder.seen().title, Text("Common_ErrorDialogTitle"));
        EXPECT_TRUE(responder.seen().message.contains(Text("DiscErase_DiscRefferedBySongs")));
        EXPECT_TRUE(responder.seen().message.contains("from the disc"));
    }
    // Without that song: the question, "Quick Erase" unticked, Erase.
    ASSERT_TRUE(host->RemoveTracks(host->GetTrackCount() - 1, true, true, true));
    {
        qm::test::ModalResponder responder([](juce::Component& modal, qm::test::ModalResponder& self) {
            for (juce::Component* child : modal.getChildren())
                if (auto* box = dynamic_cast<juce::ToggleButton*>(child))
                    box->setToggleState(false, juce::dontSendNotification);
            qm::test::ModalResponder::pressButton(Text("Button_Erase"))(modal, self);
        });
        sheet->getEraseButton().triggerClick();
        ASSERT_TRUE(qm::test::PumpUntil([&] { return events.finished == 2; }, 30));
        EXPECT_EQ(responder.seen().title, Text("DiscErase_Title"));
    }
    exports->RemoveListener(&events);
    EXPECT_EQ(sheet->getDisc().getEraseMode(), 1);
    EXPECT_TRUE(SettingsHold("Export_Disc_EraseMode"));
    EXPECT_FALSE(juce::File(target + ".cue").existsAsFile()) << "erased";
    EXPECT_TRUE(qm::test::PumpUntil([&] { return sheet->isPolling(); }, 5)) << "polling again after the erase";
}
} // namespace
