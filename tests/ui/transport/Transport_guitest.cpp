#include <gtest/gtest.h>

#include "app/commands/SongListActions.h"
#include "engine/dsp/player/CAudioFilePlayerPcmOutput.h"
#include "tests/ui/GuiTestHelpers.h"
#include "tests/ui/UiFixture.h"
#include "ui/look/ProgramImages.h"
#include "ui/main/ExportAndBurnCD.h"
#include "ui/meter/LevelMeter.h"
#include "ui/transport/TransportComponent.h"
#include "tests/support/Screenshots.h"

namespace xinput = qm::test::xinput;
using qm::test::MouseAt;

namespace
{
const juce::String kJapaneseName = juce::CharPointer_UTF8("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe6\xad\x8c");

class Transport : public qm::test::UiFixture
{
protected:
    ~Transport() override
    {
        if (window != nullptr)
            window->removeFromDesktop();
        strip.reset();
    }
    void ShowStrip()
    {
        strip = std::make_unique<TransportComponent>(*host);
        Show(*strip);
    }
    TimeBar& Bar() { return strip->getTimeBar(); }
    double PlayerPercent() { return host->GetPlayer()->GetPositionPercent(); }
    // The colour of a frame of a vertical strip image at a point of it.
    static juce::Colour FramePixel(const char* image, int frames, int frame, int x, int y)
    {
        const juce::Image strip = Tavrel::loadProgramImage(image);
        return strip.getPixelAt(x, frame * (strip.getHeight() / frames) + y);
    }
    static juce::Colour Drawn(juce::Component& c, int x, int y)
    {
        return c.createComponentSnapshot(c.getLocalBounds(), true, 1.0f).getPixelAt(x, y);
    }

    std::unique_ptr<TransportComponent> strip;
};

const juce::ModifierKeys kLeft(juce::ModifierKeys::leftButtonModifier);
const juce::ModifierKeys kRight(juce::ModifierKeys::rightButtonModifier);

// Presses, drags and releases on the bar: clamped ends, the drag threshold,
// the right button, and the point while the button is down.
TEST_F(Transport, TheTimeBarLocates)
{
    OpenDevice(44100.0);
    Named({"one"}, 3.0);
    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));
    ShowStrip();
    ASSERT_TRUE(Bar().hasSong());

    Bar().mouseDown(MouseAt(Bar(), -10, 5, kLeft));
    EXPECT_EQ(host->GetPositionSource(), CTVHost::kPositionFromTimeBar);
    EXPECT_EQ(host->GetSeekFraction(), 0.0);
    Bar().mouseUp(MouseAt(Bar(), 900, 5, {}));
    EXPECT_NEAR(PlayerPercent(), 100.0, 0.01);
    EXPECT_EQ(host->GetPositionSource(), CTVHost::kPositionFromTransport);

    Bar().mouseDown(MouseAt(Bar(), 300, 5, kLeft));
    const int point = Bar().getPointX();
    Bar().mouseDrag(MouseAt(Bar(), 305, 5, kLeft));
    EXPECT_EQ(Bar().getPointX(), point) << "less than 0.01 of the range";
    host->SetPositionFraction(0.9);
    Bar().positionChanged(host);
    EXPECT_EQ(Bar().getPointX(), point) << "the controller does not move the point under the pointer";
    Bar().mouseUp(MouseAt(Bar(), 305, 5, {}));
    EXPECT_NEAR(PlayerPercent(), 305.0 / 631.0 * 100.0, 0.01);

    const double before = PlayerPercent();
    Bar().mouseDown(MouseAt(Bar(), 100, 5, kRight));
    Bar().mouseUp(MouseAt(Bar(), 100, 5, kRight));
    EXPECT_EQ(host->GetPositionSource(), CTVHost::kPositionFromTransport);
    EXPECT_EQ(PlayerPercent(), before);

    // Where the point is drawn for a position: its left edge, and its
    // picture there.
    for (const auto& [fraction, x] : {std::pair{0.0, 0}, std::pair{0.5, 311}, std::pair{1.0, 626}})
    {
        host->SetPositionFraction(fraction);
        Bar().positionChanged(host);
        EXPECT_EQ(Bar().getPointX(), x) << fraction;
        EXPECT_EQ(Drawn(Bar(), x + 5, 7), FramePixel("TimeSliderPoint", 5, 0, 5, 7)) << fraction;
    }
    Bar().currentTrackChanged(host, -1);
    EXPECT_FALSE(Bar().hasSong());
    EXPECT_EQ(Drawn(Bar(), 1 + 5, 7), FramePixel("TimeSliderPoint", 5, 4, 5, 7));
    EXPECT_EQ(Drawn(Bar(), 300, 6), FramePixel("TimeSliderBar", 3, 2, 295, 3));
}

// A song that cannot be read draws the no-song bar.
TEST_F(Transport, AnUnreadableSongDrawsNoBar)
{
    Named({"gone"}, 1.0);
    ASSERT_TRUE(std::filesystem::remove(folder.file("n0.wav")));
    EXPECT_FALSE(host->tracks[0]->isReadable());
    (void)host->SetCurrentTrack(0, true, false);
    ShowStrip();
    EXPECT_FALSE(Bar().hasSong());
    EXPECT_EQ(Bar().getPointX(), 1);
    // A press on the bar changes nothing that plays.
    Bar().mouseDown(MouseAt(Bar(), 300, 5, kLeft));
    Bar().mouseUp(MouseAt(Bar(), 300, 5, {}));
    EXPECT_EQ(host->GetTransportState(), CTVHost::kStopped);
    EXPECT_EQ(host->GetPlayer()->GetPosition(), 0.0);
}

// Short clicks step or return to the start; a hold winds and its release
// ends the wind without a step.
TEST_F(Transport, WindButtons)
{
    OpenDevice(44100.0);
    Named({"one", "two", "three"}, 3.0);
    ShowStrip();
    auto playAt = [&](int song, double seconds) {
        ASSERT_TRUE(host->SetCurrentTrack(song, true, false));
        host->SetTransportState(CTVHost::kPlaying);
        ASSERT_EQ(host->GetTransportState(), CTVHost::kPlaying);
        host->GetPlayer()->SetPosition(seconds);
    };
    Tavrel::FourStateImageButton& rewind = strip->getRewindButton();
    playAt(1, 0.5);
    ASSERT_TRUE(xinput::click(rewind, rewind.getLocalBounds().getCentre()));
    EXPECT_EQ(host->GetCurrentIndex(), 0);
    playAt(1, 0.8);
    ASSERT_TRUE(xinput::click(rewind, rewind.getLocalBounds().getCentre()));
    EXPECT_EQ(host->GetCurrentIndex(), 1);
    EXPECT_LT(host->GetPlayer()->GetPosition(), 0.05);
    EXPECT_TRUE(strip->getPlayButton().getToggleState()) << "the play button shows its on frame while playing";

    // Held for 200 ms: one step.
    playAt(1, 0.2);
    Tavrel::FourStateImageButton& forward = strip->getFastForwardButton();
    ASSERT_TRUE(xinput::moveTo(forward, forward.getLocalBounds().getCentre()));
    ASSERT_TRUE(xinput::buttonDown());
    juce::MessageManager::getInstance()->runDispatchLoopUntil(150);
    ASSERT_TRUE(xinput::buttonUp());
    EXPECT_EQ(host->GetCurrentIndex(), 2);

    // Held for 700 ms: a wind, and no step at the release.
    playAt(1, 0.2);
    (void)listener.take();
    ASSERT_TRUE(xinput::buttonDown());
    ASSERT_TRUE(qm::test::PumpUntil([&] { return host->GetWindState() == CTVHost::kWindForward; }, 2));
    EXPECT_TRUE(forward.getToggleState());
    const std::vector<int> winds = listener.values("windStateChanged");
    EXPECT_NE(std::find(winds.begin(), winds.end(), 1), winds.end());
    juce::MessageManager::getInstance()->runDispatchLoopUntil(100);
    ASSERT_TRUE(xinput::buttonUp());
    EXPECT_EQ(host->GetWindState(), CTVHost::kWindNone);
    EXPECT_FALSE(forward.getToggleState());
    EXPECT_EQ(host->GetCurrentIndex(), 1) << "the release after a wind does not step";
    EXPECT_EQ(host->GetTransportState(), CTVHost::kPlaying);
}

// The buttons work in player mode with songs: disabled (frame 4) for an
// empty list and during a session, enabled again after it. Presses beside
// the bar reach its ends.
TEST_F(Transport, EnabledStatesAndPressesBesideTheBar)
{
    ShowStrip();
    for (juce::Button* button : {static_cast<juce::Button*>(&strip->getRewindButton()),
                                 static_cast<juce::Button*>(&strip->getPlayButton()),
                                 static_cast<juce::Button*>(&strip->getFastForwardButton())})
        EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(Drawn(strip->getPlayButton(), 15, 15), FramePixel("ButtonPlay", 5, 4, 15, 15));

    OpenDevice(44100.0);
    Named({"one"}, 3.0);
    EXPECT_TRUE(strip->getPlayButton().isEnabled());
    host->SetMode(CTVHost::kSessionMode);
    EXPECT_FALSE(strip->getRewindButton().isEnabled());
    host->SetMode(CTVHost::kPlayerMode);
    EXPECT_TRUE(strip->getRewindButton().isEnabled());

    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));
    for (const auto& [x, fraction] : {std::pair{20, 0.0}, std::pair{675, 1.0}})
    {
        ASSERT_TRUE(xinput::moveTo(*strip, {x, 75}));
        ASSERT_TRUE(xinput::buttonDown());
        EXPECT_EQ(host->GetPositionSource(), CTVHost::kPositionFromTimeBar) << x;
        EXPECT_EQ(host->GetSeekFraction(), fraction) << x;
        ASSERT_TRUE(xinput::buttonUp());
        EXPECT_EQ(host->GetPositionSource(), CTVHost::kPositionFromTransport) << x;
        EXPECT_NEAR(PlayerPercent(), fraction * 100.0, 0.01) << x;
    }
}

// The displays: "--:--:--.---" letter-spaced for an empty list, the length
// of a long song without spacing, a rename shown at once, a Japanese name
// in the Japanese face.
TEST_F(Transport, SongDisplays)
{
    ShowStrip();
    InformationViewer& info = strip->getInformationViewer();
    for (SongViewerBase* viewer : {static_cast<SongViewerBase*>(&info.getCounter()),
                                   static_cast<SongViewerBase*>(&info.getLengthViewer())})
    {
        EXPECT_EQ(viewer->getLabel().getText(), SongViewerBase::kNoTime);
        EXPECT_FLOAT_EQ(viewer->getLabel().getFont().getExtraKerningFactor(), 0.15f);
    }
    Named({"long one", kJapaneseName});
    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));
    // A long song's length on its record (opening took the file's).
    host->tracks[0]->lengthHours = 1;
    host->tracks[0]->lengthMinutes = 2;
    host->tracks[0]->lengthSeconds = 3.5f;
    host->NotifyCurrentTrackChanged();
    EXPECT_EQ(info.getLengthViewer().getLabel().getText(), "01:02:03.500");
    EXPECT_FLOAT_EQ(info.getLengthViewer().getLabel().getFont().getExtraKerningFactor(), 0.0f);
    EXPECT_EQ(info.getNameViewer().getLabel().getText(), "long one");

    ASSERT_TRUE(commands->performUndoable(new CTVActionRename(*host, 0, Tavrel::TrackInfo::kSongName, "renamed", false),
                                          true, "Rename"));
    EXPECT_EQ(info.getNameViewer().getLabel().getText(), "renamed");

    ASSERT_TRUE(host->SetCurrentTrack(1, true, false));
    juce::Label& name = info.getNameViewer().getLabel();
    EXPECT_EQ(name.getText(), kJapaneseName);
    EXPECT_EQ(name.getLookAndFeel().getLabelFont(name).getTypefaceName(), CTVLookAndFeel::kJapaneseFace);
    // The same pixels as the Japanese face draws.
    juce::LookAndFeel_V2 plain;
    juce::Label reference("Label", kJapaneseName);
    reference.setLookAndFeel(&plain);
    reference.setBounds(name.getLocalBounds());
    juce::Font face = name.getFont();
    face.setTypefaceName(CTVLookAndFeel::kJapaneseFace);
    reference.setFont(face);
    reference.setJustificationType(name.getJustificationType());
    reference.setColour(juce::Label::textColourId, name.findColour(juce::Label::textColourId));
    const juce::Image a = name.createComponentSnapshot(name.getLocalBounds(), true, 1.0f);
    const juce::Image b = reference.createComponentSnapshot(reference.getLocalBounds(), true, 1.0f);
    bool same = true;
    for (int y = 0; y < a.getHeight() && same; ++y)
        for (int x = 0; x < a.getWidth() && same; ++x)
            same = a.getPixelAt(x, y) == b.getPixelAt(x, y);
    EXPECT_TRUE(same);
    reference.setLookAndFeel(nullptr);
}
} // namespace

namespace
{
// The strip and the meter in one language, made inside a test.
struct PlayerScene final : public qm::test::UiFixture
{
    explicit PlayerScene(const char* locale)
        : qm::test::UiFixture(locale)
    {
    }
    ~PlayerScene() override
    {
        StopBlocks();
        if (window != nullptr)
            window->removeFromDesktop();
        window.reset();
        holder.reset();
        strip.reset();
        meter.reset();
        buttons.reset();
        background.reset();
    }
    void TestBody() override {}
    using UiFixture::host;
    using UiFixture::language;

    juce::Image Picture()
    {
        OpenDevice(44100.0);
        Named({kJapaneseName + " 1"}, 20.0);
        EXPECT_TRUE(host->SetCurrentTrack(0, true, false));
        auto area = std::make_unique<juce::Component>("Area");
        strip = std::make_unique<TransportComponent>(*host);
        meter = std::make_unique<LevelMeter>(*host);
        area->setSize(820, 240);
        // The window's own background behind, as the main window has it.
        background = std::make_unique<BackGroundComponent>();
        background->setBounds(0, 0, 820, 240);
        area->addAndMakeVisible(*background);
        area->addAndMakeVisible(*strip);
        // The export and burn buttons as the main window places them beside
        // the list panel.
        buttons = std::make_unique<ExportAndBurnCD>(*host);
        buttons->setTopLeftPosition(606, 120);
        area->addAndMakeVisible(*buttons);
        meter->setTopLeftPosition(705, 0);
        area->addAndMakeVisible(*meter);
        holder = std::move(area);
        Show(*holder);
        host->SetTransportState(CTVHost::kPlaying);
        StartBlocks();
        // A while of playing: the point, the counter and the meter move.
        juce::MessageManager::getInstance()->runDispatchLoopUntil(600);
        return qm::test::screenshots::snapshot(*holder, "TransportLooks", "strip-and-meter");
    }

    std::unique_ptr<juce::Component> holder;
    std::unique_ptr<BackGroundComponent> background;
    std::unique_ptr<ExportAndBurnCD> buttons;
    std::unique_ptr<TransportComponent> strip;
    std::unique_ptr<LevelMeter> meter;
};

TEST(TransportLooks, PicturesWhileASongPlays)
{
    for (const char* locale : {qm::test::LanguageSwitch::kEnglish, qm::test::LanguageSwitch::kJapanese})
    {
        SCOPED_TRACE(locale);
        PlayerScene scene(locale);
        const juce::Image image = scene.Picture();
        ASSERT_TRUE(image.isValid());
        EXPECT_EQ(scene.host->GetTransportState(), CTVHost::kPlaying);
        EXPECT_TRUE(scene.strip->getPlayButton().getToggleState());
        EXPECT_GT(scene.meter->getBar(0).getLitHeight(), 0) << "the meter shows the song";
        qm::test::KeepRender(image, juce::String("transport-") + (scene.language.isJapanese() ? "ja" : "en"));
    }
}
} // namespace
