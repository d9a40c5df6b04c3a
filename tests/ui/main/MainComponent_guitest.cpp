#include <gtest/gtest.h>

#include <memory>

#include "app/commands/ActionManagerCommand.h"
#include "tests/session/ScriptedExportSession.h"
#include "tests/support/ModalResponder.h"
#include "tests/support/XInput.h"
#include "tests/ui/export/ExportUiFixture.h"
#include "ui/export/ExportSheet.h"
#include "ui/info/InfoEditorSheet.h"
#include "ui/main/MainComponent.h"
#include "ui/main/MainComponentCommand.h"
#include "ui/preferences/PreferencesSheet.h"
#include "ui/progress/ExportProgressWindow.h"

using Tavrel::MainComponent;
using qm::test::ModalResponder;
namespace xinput = qm::test::xinput;

namespace
{
// Stands in for the main window: a command target whose next target is the
// action manager.
class Frame final : public juce::Component, public juce::ApplicationCommandTarget
{
public:
    juce::ApplicationCommandTarget* getNextCommandTarget() override { return next; }
    void getAllCommands(juce::Array<juce::CommandID>&) override {}
    void getCommandInfo(juce::CommandID, juce::ApplicationCommandInfo&) override {}
    bool perform(const InvocationInfo&) override { return false; }
    juce::ApplicationCommandTarget* next = nullptr;
};

class Main : public qm::test::ExportUiFixture
{
protected:
    Main()
    {
        frame.next = actions.get();
        component = std::make_unique<MainComponent>(*host);
        main.addAndMakeVisible(frame);
        frame.setBounds(0, 0, 699, 533);
        frame.addAndMakeVisible(*component);
        commands->registerAllCommandsForTarget(component.get());
        commands->setFirstCommandTarget(component.get());
        actions->addActionBlocker(component.get());
        main.addKeyListener(commands->getKeyMappings());
        CTVHost::SetQuitHook([this] { ++quits; });
        qm::test::PumpPosted();
    }
    ~Main() override
    {
        CTVHost::SetQuitHook({});
        main.removeKeyListener(commands->getKeyMappings());
        actions->removeActionBlocker(component.get());
        commands->setFirstCommandTarget(actions.get());
        closeSheets();
        component.reset();
    }
    void closeSheets()
    {
        for (juce::Component* child : component->getChildren())
            if (auto* sheet = dynamic_cast<CBfcSheet*>(child); sheet != nullptr && sheet->getState() == CBfcSheet::kOpen)
                sheet->close();
        qm::test::PumpPosted();
    }
    bool Enabled(juce::CommandID id)
    {
        const juce::ApplicationCommandInfo* info = commands->getCommandForID(id);
        if (info == nullptr)
            return false;
        juce::ApplicationCommandInfo copy(*info);
        juce::ApplicationCommandTarget* target = commands->getTargetForCommand(id, copy);
        return target != nullptr && (copy.flags & juce::ApplicationCommandInfo::isDisabled) == 0;
    }
    juce::String Name(juce::CommandID id)
    {
        juce::ApplicationCommandInfo info(id);
        commands->getTargetForCommand(id, info);
        return info.shortName;
    }
    bool Invoke(juce::CommandID id) { return commands->invokeDirectly(id, false); }
    bool OpenedAndCounted(CBfcSheet* sheet)
    {
        return sheet != nullptr &&
               qm::test::PumpUntil([&] { return sheet->getState() == CBfcSheet::kOpen; }, 5) &&
               CBfcSheet::getOpenSheetCount() == 1 && sheet->isCurrentlyModal(false);
    }
    // A session of the title whose script waits until the test lets it end.
    ScriptedExportSession* StartSession(const char* title, std::function<void(ScriptedExportSession&)> script)
    {
        auto owned = std::make_unique<ScriptedExportSession>(title, std::move(script));
        ScriptedExportSession* session = owned.get();
        EXPECT_TRUE(exports->startSession(std::move(owned)));
        return session;
    }
    bool SessionEnded()
    {
        return qm::test::PumpUntil([&] { return exports->getCurrentSessionKind() == 0; }, 10);
    }

    Frame frame;
    std::unique_ptr<MainComponent> component;
    int quits = 0;
};

TEST_F(Main, CommandsAndTheirStates)
{
    juce::Array<juce::CommandID> ids;
    component->getAllCommands(ids);
    EXPECT_EQ(ids, juce::Array<juce::CommandID>({31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41}));
    EXPECT_EQ(component->getBounds(), juce::Rectangle<int>(0, 0, 699, 533));
    for (juce::CommandID id : {32, 33, 35, 36, 37, 38, 41})
        EXPECT_FALSE(Enabled(id)) << id << " with an empty list";
    for (juce::CommandID id : {31, 34, 39, 40})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_EQ(Name(34), "Quit Safely");

    const struct
    {
        juce::CommandID id;
        const char* keys;
    } keys[] = {{31, "ctrl + alt + O"}, {32, "ctrl + shift + E"}, {33, "ctrl + shift + B"}, {35, "ctrl + A"},
                {37, "F2, ctrl + return"}, {38, "ctrl + shift + I"}, {39, "ctrl + ,"}, {36, ""}, {40, ""}, {41, ""}};
    for (const auto& k : keys)
    {
        juce::StringArray described;
        for (const juce::KeyPress& key : commands->getKeyMappings()->getKeyPressesAssignedToCommand(k.id))
            described.add(key.getTextDescription());
        EXPECT_EQ(described.joinIntoString(", "), k.keys) << k.id;
    }

    Named({"one", "two"});
    host->SetSelection(juce::SparseSet<int>(), 0);
    for (juce::CommandID id : {32, 33, 35, 36, 37, 38})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_FALSE(Enabled(41)) << "no selection";
    ASSERT_TRUE(Invoke(Tavrel::kCommandSelectAll));
    EXPECT_EQ(host->GetSelection().size(), 2);
    juce::SparseSet<int> first;
    first.addRange({0, 1});
    host->SetSelection(first, 0);
    ASSERT_TRUE(Invoke(Tavrel::kCommandInvertSelection));
    EXPECT_TRUE(host->GetSelection().contains(1));
    EXPECT_FALSE(host->GetSelection().contains(0));

    // A sheet open blocks every command but the user's guide and the safe
    // quit, the action manager's too.
    ASSERT_TRUE(Invoke(Tavrel::kCommandPreferences));
    ASSERT_TRUE(OpenedAndCounted(component->getPreferencesSheet()));
    for (juce::CommandID id : {31, 32, 33, 35, 38, 39, 40, 41, 1, 6, 10, 17, 30})
        EXPECT_FALSE(Enabled(id)) << id << " while a sheet is open";
    EXPECT_TRUE(Enabled(34));
    EXPECT_TRUE(Enabled(29));
    component->perform(juce::ApplicationCommandTarget::InvocationInfo(Tavrel::kCommandBatchEdit));
    EXPECT_EQ(component->getInfoEditorSheet(), nullptr) << "no second sheet";
    closeSheets();
    ASSERT_TRUE(qm::test::PumpUntil([] { return CBfcSheet::getOpenSheetCount() == 0; }, 5));
    EXPECT_TRUE(Enabled(6));

    host->SetMode(CTVHost::kSessionMode);
    for (juce::CommandID id : {31, 35, 38, 39})
        EXPECT_FALSE(Enabled(id)) << id << " outside player mode";
    host->SetMode(CTVHost::kPlayerMode);
}

// Sheets open through their commands; the folder chooser's title follows
// the sheet; no drive, no burn sheet; closing resets the cancel mark.
TEST_F(Main, Sheets)
{
    Named({"one"});
    ASSERT_TRUE(Invoke(Tavrel::kCommandExport));
    ASSERT_TRUE(OpenedAndCounted(component->getExportSheet()));
    EXPECT_EQ(TRANS("Choose a new directory"), "Select Destination");
    component->getExportSheet()->getProperties().set(MainComponent::kCancelledProperty, true);
    component->getExportSheet()->getCancelButton().triggerClick();
    ASSERT_TRUE(qm::test::PumpUntil([&] { return component->getExportSheet()->getState() == CBfcSheet::kClosed; }, 5));
    qm::test::PumpPosted();
    EXPECT_FALSE(component->getExportSheet()->getProperties().contains(MainComponent::kCancelledProperty));

    ASSERT_TRUE(Invoke(Tavrel::kCommandPreferences));
    ASSERT_TRUE(OpenedAndCounted(component->getPreferencesSheet()));
    EXPECT_EQ(TRANS("Choose a new directory"), "Select Temporary Folder");
    closeSheets();

    ASSERT_TRUE(Invoke(Tavrel::kCommandBatchEdit));
    ASSERT_TRUE(OpenedAndCounted(component->getInfoEditorSheet()));
    closeSheets();
    ASSERT_TRUE(qm::test::PumpUntil([] { return CBfcSheet::getOpenSheetCount() == 0; }, 5));

    ModalResponder responder(ModalResponder::pressButton("OK"));
    ASSERT_TRUE(Invoke(Tavrel::kCommandBurnDisc));
    EXPECT_EQ(responder.seen().title, "Error");
    EXPECT_EQ(responder.seen().message, "Cannot find any recordable CD/DVD drives.");
    EXPECT_EQ(component->getDiscBurnSheet(), nullptr);
}

// Typed song numbers with real keys.
TEST_F(Main, TypedSongNumbers)
{
    OpenDevice(44100.0);
    for (int i = 1; i <= 9; ++i)
        Named({"Song " + juce::String(i)}, 0.5);
    ASSERT_TRUE(xinput::focus(*component));
    const auto type = [&](const std::string& keys) {
        EXPECT_TRUE(xinput::key(*window, keys));
        qm::test::PumpPosted();
        return component->getSongIndexLabel().getText();
    };
    EXPECT_EQ(type("0"), "");
    EXPECT_EQ(type("1"), "1");
    EXPECT_EQ(type("2"), "1") << "12 names no song";
    ASSERT_TRUE(qm::test::PumpUntil([&] { return component->getSongNameLabel().isVisible(); }, 5));
    EXPECT_EQ(component->getSongNameLabel().getText(), "Song 1");
    EXPECT_EQ(type("minus"), "1");
    EXPECT_EQ(type("BackSpace"), "");
    EXPECT_FALSE(component->getSongNameLabel().isVisible());
    EXPECT_EQ(type("9"), "9");
    EXPECT_EQ(type("plus"), "9");
    EXPECT_EQ(type("minus"), "8");
    EXPECT_EQ(type("Escape"), "");
    EXPECT_EQ(type("3"), "3");
    EXPECT_EQ(component->getSongNameLabel().getText(), "Song 3");
    EXPECT_EQ(type("Return"), "");
    EXPECT_EQ(host->GetCurrentIndex(), 2);
    EXPECT_EQ(host->GetTransportState(), CTVHost::kPlaying);
    host->StopPlayback();
    // The labels' fades own themselves until they end.
    qm::test::PumpFor(700);
}

// Session events become windows and boxes.
TEST_F(Main, SessionEvents)
{
    Named({"First", "Second"});
    {
        ModalResponder responder(ModalResponder::pressButton("OK"));
        StartSession("Export_Title", [](ScriptedExportSession& s) {
            s.notifyStarted();
            s.notifyProcessingStarted();
            s.notifyFinished(false);
        });
        ASSERT_TRUE(SessionEnded());
        ASSERT_TRUE(qm::test::PumpUntil([&] { return responder.answered(); }, 10));
        EXPECT_EQ(responder.seen().title, "Export");
        EXPECT_EQ(responder.seen().message, "Export completed.");
        EXPECT_EQ(component->getProgressWindow(), nullptr) << "no window for an export without normalising";
    }
    {
        ModalResponder responder(ModalResponder::pressButton("Stop"));
        std::atomic<int> answer{-1};
        StartSession("Export_Title", [&answer](ScriptedExportSession& s) {
            s.notifyStarted();
            juce::SparseSet<int> rows;
            rows.addRange({0, 2});
            answer = s.notifyWarning("Export_AlreadyExists", rows, {"/music"}) ? 1 : 0;
            s.notifyFinished(true);
        });
        ASSERT_TRUE(SessionEnded());
        EXPECT_EQ(answer.load(), 0) << "Stop is false for the session";
        EXPECT_EQ(responder.seen().title, "Warning");
        EXPECT_TRUE(responder.seen().message.contains("/music"));
        EXPECT_TRUE(responder.seen().buttons.contains("Replace") && responder.seen().buttons.contains("Stop"));
    }
    {
        // The erase window is modal while the session runs: the responder
        // answers only the box that follows it.
        ModalResponder responder(ModalResponder::pressButton("OK"));
        responder.acceptOnly([this](juce::Component& modal) {
            return component->getProgressWindow() == nullptr || &modal != component->getProgressWindow()->getWindow();
        });
        StartSession("DiscErase_Title", [](ScriptedExportSession& s) {
            s.notifyStarted();
            s.succeeded = false;
            s.notifyFinished(true);
        });
        ASSERT_TRUE(SessionEnded());
        ASSERT_TRUE(qm::test::PumpUntil([&] { return responder.answered(); }, 10));
        EXPECT_EQ(responder.seen().message, "Burn failed.") << "the session's own failure text";
    }
}

// Quitting: at once without a session; refused during an erase; during an
// export, Yes quits once the session has ended and No resumes it.
TEST_F(Main, QuitLogic)
{
    Invoke(Tavrel::kCommandQuitSafely);
    EXPECT_EQ(quits, 1);

    // Each script notes when its start has been heard, so the boxes below
    // come after the progress windows of the start.
    ScriptedExportSession* erase = StartSession("DiscErase_Title", [](ScriptedExportSession& s) {
        s.notifyStarted();
        s.step = 1;
        s.waitForStop();
        s.notifyFinished(true);
    });
    ASSERT_TRUE(qm::test::PumpUntil([&] { return erase->step == 1; }, 5));
    ASSERT_NE(component->getProgressWindow(), nullptr);
    {
        ModalResponder responder(ModalResponder::pressButton("OK"));
        component->quitSafely();
        EXPECT_EQ(responder.seen().message, "Quillmark cannot be shutdown while erasing a disc.");
    }
    EXPECT_EQ(quits, 1);
    {
        ModalResponder responder(ModalResponder::pressButton("OK"));
        erase->stop = true;
        ASSERT_TRUE(SessionEnded());
        ASSERT_TRUE(qm::test::PumpUntil([&] { return responder.answered(); }, 10));
        EXPECT_EQ(responder.seen().message, "Erase completed.");
    }

    ScriptedExportSession* exporting = StartSession("Export_Title", [](ScriptedExportSession& s) {
        s.notifyStarted();
        s.step = 1;
        s.waitForStop();
        s.notifyFinished(true);
    });
    ASSERT_TRUE(qm::test::PumpUntil([&] { return exporting->step == 1; }, 5));
    {
        ModalResponder responder(ModalResponder::pressButton("No"));
        component->quitSafely();
        EXPECT_EQ(responder.seen().message, "Do you really want to stop exporting and shutdown Quillmark?");
    }
    EXPECT_EQ(exporting->cancels.load(), 0);
    {
        ModalResponder responder(ModalResponder::pressButton("Yes"));
        component->quitSafely();
    }
    EXPECT_EQ(quits, 1) << "not before the session has ended";
    ASSERT_TRUE(SessionEnded());
    ASSERT_TRUE(qm::test::PumpUntil([&] { return quits == 2; }, 5));
    host->SetQuitAfterSession(false);
}
} // namespace
