#include <gtest/gtest.h>

#include "app/core/WideText.h"
#include "disc/CAudioDiscBurnBase.h"
#include "session/export/DiscBurnSession.h"
#include "session/export/DiscEraseSession.h"
#include "session/export/DiscLocation.h"
#include "tests/session/export/ExportFixture.h"
#include "tests/support/FileSizeLimit.h"

using Tavrel::CommonExportParameter;
using Tavrel::DiscBurnParameter;
using Tavrel::DiscBurnSession;
using Tavrel::DiscEraseSession;

namespace
{
// Burns and erases through the export manager, onto the fake disc writer.
class DiscSessions : public qm::test::ExportFixture
{
protected:
    DiscSessions()
    {
        temp = juce::File(folder.file("temp").string());
        temp.createDirectory();
        common.setItemText(temp.getFullPathName(), CommonExportParameter::kTempDirectory);
        mounts = juce::File(folder.file("mounts").string());
        mounts.replaceWithText("");
        Tavrel::DiscLocation::setMountsFile(mounts);
    }
    ~DiscSessions() override { Tavrel::DiscLocation::setMountsFile({}); }

    // The sheet's settings over the manager's burner; the fake disc is a
    // large blank CD-R unless a test says otherwise.
    DiscBurnParameter Params()
    {
        DiscBurnParameter params(exports->getDiscBurnProxy());
        if (disc != nullptr)
            disc->freeSpace = uint64_t(1) << 40;
        return params;
    }
    bool StartBurn(const DiscBurnParameter& params)
    {
        events.clear();
        return exports->startSession(std::make_unique<DiscBurnSession>(exports->getDiscBurnProxy(), params, common));
    }
    bool Burn(const DiscBurnParameter& params)
    {
        if (!StartBurn(params))
            return false;
        EXPECT_TRUE(qm::test::PumpUntil([&] { return events.finished; }, 60));
        qm::test::PumpPosted();
        return true;
    }
    juce::StringArray ImageFolders() const
    {
        juce::StringArray names;
        for (const juce::File& f : temp.findChildFiles(juce::File::findDirectories, false, "*"))
            names.add(f.getFileName());
        return names;
    }

    juce::File temp;
    juce::File mounts;
};

TEST_F(DiscSessions, TheChecksOfStart)
{
    Song("a", 4.0);
    DiscBurnParameter params = Params();
    ASSERT_NE(disc, nullptr);

    // No drive: refused before any drive-layer call.
    disc->devices.clear();
    disc->selectedDevices.clear();
    DiscBurnParameter noDrive = Params();
    EXPECT_EQ(noDrive.getDriveIndex(), -1);
    EXPECT_FALSE(StartBurn(noDrive));
    EXPECT_EQ(events.names(), std::vector<std::string>{"error DiscBurn_CannotOpenDrive"});
    EXPECT_TRUE(disc->selectedDevices.empty());
    disc->devices = {drive};

    // A missing temporary folder: no image folder is left.
    const juce::String tempPath = temp.getFullPathName();
    ASSERT_TRUE(temp.deleteRecursively());
    EXPECT_FALSE(StartBurn(params));
    EXPECT_EQ(events.names(), std::vector<std::string>{"error DiscBurn_CannotCreateTempDir"});
    ASSERT_TRUE(temp.createDirectory());
    common.setItemText(tempPath, CommonExportParameter::kTempDirectory);
    // A folder in which nothing can be made.
    ASSERT_TRUE(temp.setReadOnly(true));
    if (!juce::File(tempPath).getChildFile("probe").createDirectory())
    {
        EXPECT_FALSE(StartBurn(params));
        EXPECT_EQ(events.names(), std::vector<std::string>{"error DiscBurn_CannotCreateTempDir"});
    }
    ASSERT_TRUE(temp.setReadOnly(false));
    juce::File(tempPath).getChildFile("probe").deleteRecursively();
    EXPECT_TRUE(ImageFolders().isEmpty());

    // Short songs are asked about; 4.0 s is long enough.
    Song("short", 3.9);
    events.answer = [](const std::string&) { return false; };
    EXPECT_FALSE(StartBurn(params));
    ASSERT_EQ(events.names(), std::vector<std::string>{"warning DiscBurn_SilenceAppended"});
    EXPECT_EQ(events.events[0].songs, qm::test::RowSet({1}));
    EXPECT_TRUE(ImageFolders().isEmpty());
    ASSERT_TRUE(host->RemoveTracks(1, true, true, true));

    // Space on the temporary volume: two 60 s songs need 21,172,096 bytes.
    ASSERT_TRUE(host->RemoveTracks(0, true, true, true));
    Song("b", 60.0);
    Song("c", 60.0);
    Tavrel::OutputExportSessionBase::setFreeSpaceQuery([](const juce::File&) { return int64_t(31172095); });
    EXPECT_FALSE(StartBurn(params));
    ASSERT_EQ(events.names(), std::vector<std::string>{"error DiscBurn_DiskFull"});
    EXPECT_EQ(events.events[0].texts, juce::StringArray{"31.17 MB"});
    Tavrel::OutputExportSessionBase::setFreeSpaceQuery({});

    // Songs read from the disc in the drive (a file below its mount point).
    const juce::File mountPoint(folder.file("media").string());
    ASSERT_TRUE(mountPoint.createDirectory());
    ASSERT_TRUE(mounts.replaceWithText("/dev/sr0 " + mountPoint.getFullPathName().replace(" ", "\\040") +
                                       " iso9660 ro 0 0\n/dev/sr10 /elsewhere iso9660 ro 0 0\n"));
    ASSERT_TRUE(juce::File(folder.file("b.src.wav").string()).copyFileTo(mountPoint.getChildFile("b.wav")));
    ASSERT_EQ(AddRecord(mountPoint.getChildFile("b.wav").getFullPathName().toStdString(), "ondisc"), 2);
    EXPECT_FALSE(StartBurn(params));
    ASSERT_EQ(events.names(), std::vector<std::string>{"warning DiscBurn_NeedToReplaceDisc"});
    EXPECT_EQ(events.events[0].songs, qm::test::RowSet({2}));
    events.answer = nullptr;
    EXPECT_TRUE(ImageFolders().isEmpty());
}

TEST_F(DiscSessions, TooManyTracks)
{
    for (int i = 0; i < 100; ++i)
        Song("s" + std::to_string(i), 0.05);
    DiscBurnParameter params = Params();
    events.answer = [](const std::string&) { return false; };
    EXPECT_FALSE(StartBurn(params));
    EXPECT_EQ(events.names(), std::vector<std::string>{"error DiscBurn_TooManyTracks"});
    ASSERT_TRUE(host->RemoveTracks(99, true, true, true));
    EXPECT_FALSE(StartBurn(params));
    EXPECT_EQ(events.names(), std::vector<std::string>{"warning DiscBurn_SilenceAppended"}) << "99 pass the count";
}

TEST_F(DiscSessions, ABurnFromWaitingToRepeating)
{
    Song("a", 4.0);
    Song("b", 4.0);
    DiscBurnParameter params = Params();
    disc->discType = -1; // no disc yet
    std::vector<std::string> keys;
    events.onProgress = [&](double progress, const char* key) {
        if (key == nullptr)
            return;
        if (keys.empty() || keys.back() != key)
            keys.push_back(key);
        if (std::string(key) == "DiscBurn_WaitForBlankDisc")
        {
            EXPECT_EQ(progress, 0.0);
            disc->blank = true;
            disc->discType = 2; // a blank CD-R arrives
        }
    };
    ASSERT_TRUE(Burn(params));
    EXPECT_FALSE(events.aborted);
    EXPECT_EQ(keys, (std::vector<std::string>{"DiscBurn_WaitForBlankDisc", "DiscBurn_CreateTemp", "DiscBurn_OpenSession",
                                              "DiscBurn_WriteTracks", "DiscBurn_CloseSession"}));
    EXPECT_EQ(disc->startCalls, 1);
    ASSERT_TRUE(disc->startedJob.has_value());
    EXPECT_EQ(disc->startedJob->tracks.size(), 2u);
    EXPECT_TRUE(events.session->hasSucceeded());
    EXPECT_TRUE(ImageFolders().isEmpty()) << "the image goes at the end";
    EXPECT_TRUE(std::find(events.names().begin(), events.names().end(), "processing") != events.names().end());
}

TEST_F(DiscSessions, RefusedAndFailedWrites)
{
    Song("a", 4.0);
    DiscBurnParameter params = Params();
    struct Case
    {
        const char* name;
        DiscResult start;
        uint32_t result;
    };
    for (const Case& c : {Case{"a refused start", DiscResult::Failed, 0}, Case{"a failing write", DiscResult::Ok, 1}})
    {
        SCOPED_TRACE(c.name);
        disc->startResult = c.start;
        disc->lastResult = c.result;
        disc->discType = 2;
        disc->blank = true;
        bool succeeded = true;
        juce::String failure;
        // The repeat question comes with the outcome to show.
        auto* listener = &events;
        struct Repeat : Tavrel::ExportSessionListener
        {
            bool exportSessionAskRepeat(Tavrel::ExportSession* session) override
            {
                asked = true;
                succeeded = session->hasSucceeded();
                failure = session->getFailureText();
                return false;
            }
            bool asked = false;
            bool succeeded = true;
            juce::String failure;
        } repeat;
        exports->AddListener(&repeat);
        const auto start = juce::Time::getMillisecondCounter();
        ASSERT_TRUE(StartBurn(params));
        ASSERT_TRUE(qm::test::PumpUntil([&] { return repeat.asked; }, 5));
        EXPECT_LT(juce::Time::getMillisecondCounter() - start, 5000u);
        succeeded = repeat.succeeded;
        failure = repeat.failure;
        ASSERT_TRUE(qm::test::PumpUntil([&] { return listener->finished; }, 10));
        exports->RemoveListener(&repeat);
        EXPECT_FALSE(succeeded);
        EXPECT_EQ(failure, "Burn failed.");
    }
}

TEST_F(DiscSessions, DiscsThatAreRefusedWhileWaiting)
{
    Song("a", 4.0);
    DiscBurnParameter params = Params();
    // A used CD-RW: shown once and ejected; nothing else until another disc
    // has been examined; then a blank DVD; then a blank CD-R.
    disc->discType = 3;
    disc->blank = false;
    std::vector<std::string> keys;
    int step = 0;
    events.onProgress = [&](double, const char* key) {
        if (key == nullptr || std::string(key) == "DiscBurn_CreateTemp" || std::string(key).find("Session") != std::string::npos ||
            std::string(key) == "DiscBurn_WriteTracks")
            return;
        keys.push_back(key);
        if (++step == 1)
        {
            disc->discType = 5; // a blank DVD
            disc->blank = true;
        }
        else
            disc->discType = 2;
    };
    ASSERT_TRUE(Burn(params));
    EXPECT_EQ(keys, (std::vector<std::string>{"DiscBurn_UsedErasableDisc", "DiscBurn_UnsuitableForAudioCD"}));
    EXPECT_EQ(disc->ejects.load(), 3) << "the two refused discs, and the burned one";
    EXPECT_FALSE(events.aborted);
}

TEST_F(DiscSessions, CancelEndsAbortedAndLeavesNothing)
{
    Song("a", 4.0);
    DiscBurnParameter params = Params();
    struct Case
    {
        const char* name;
        const char* atKey;
    };
    for (const Case& c : {Case{"waiting for a disc", "DiscBurn_WaitForBlankDisc"}, Case{"writing", "DiscBurn_WriteTracks"}})
    {
        SCOPED_TRACE(c.name);
        disc->discType = std::string(c.name) == "writing" ? 2 : -1;
        disc->blank = true;
        disc->startResult = DiscResult::Ok;
        disc->lastResult = 0;
        disc->pollsPerJob = 1000;
        bool filesWhileCancelling = false;
        events.onProgress = [&](double, const char* key) {
            if (key != nullptr && std::string(key) == c.atKey)
            {
                filesWhileCancelling = !ImageFolders().isEmpty();
                exports->cancelSession();
            }
        };
        const int cancels = disc->cancels.load();
        ASSERT_TRUE(Burn(params));
        events.onProgress = nullptr;
        EXPECT_TRUE(events.aborted);
        EXPECT_TRUE(ImageFolders().isEmpty());
        if (std::string(c.name) == "writing")
        {
            EXPECT_TRUE(filesWhileCancelling) << "the track files are there while the drive stops";
            EXPECT_GT(disc->cancels.load(), cancels);
        }
    }
    disc->pollsPerJob = 3;
}

TEST_F(DiscSessions, Erasing)
{
    Song("a", 1.0);
    DiscBurnParameter params = Params();
    CAudioDiscBurnBase* burner = exports->getDiscBurnProxy()->GetBurner();
    auto erase = [&](const DiscBurnParameter& p) {
        events.clear();
        return exports->startSession(std::make_unique<DiscEraseSession>(burner, p));
    };
    struct Refusal
    {
        DiscTypeCode type;
        const char* key;
    };
    for (const Refusal& r : {Refusal{-1, "error DiscBurn_DiscNotFound"}, Refusal{2, "error DiscErase_NotErasableDisc"}})
    {
        disc->discType = r.type;
        EXPECT_FALSE(erase(params));
        EXPECT_EQ(events.names(), std::vector<std::string>{r.key});
    }
    // A song of the list on the disc: its file below the device's mount
    // point; a song on /dev/sr10 does not block /dev/sr1.
    disc->discType = 3;
    const juce::File mountPoint(folder.file("media").string());
    ASSERT_TRUE(mountPoint.createDirectory());
    ASSERT_TRUE(mounts.replaceWithText("/dev/sr0 " + mountPoint.getFullPathName() + " udf ro 0 0\n"));
    ASSERT_TRUE(juce::File(folder.file("a.src.wav").string()).copyFileTo(mountPoint.getChildFile("a.wav")));
    ASSERT_EQ(AddRecord(mountPoint.getChildFile("a.wav").getFullPathName().toStdString(), "ondisc"), 1);
    EXPECT_FALSE(erase(params));
    ASSERT_EQ(events.names(), std::vector<std::string>{"error DiscErase_DiscRefferedBySongs"});
    EXPECT_EQ(events.events[0].songs, qm::test::RowSet({1}));
    ASSERT_TRUE(host->RemoveTracks(1, true, true, true));
    Tavrel::DiscLocation sr1("/dev/sr1");
    EXPECT_FALSE(sr1.holds("/dev/sr10/Track01.cda"));
    EXPECT_TRUE(Tavrel::DiscLocation("/dev/sr10").holds("/DEV/SR10/Track01.cda"));

    // Quick and full erases; cancel changes nothing; the end is not aborted.
    for (int mode : {0, 1})
    {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(params.selectChoiceByValue(DiscBurnParameter::kEraseMode, mode));
        bool sawErase = false;
        events.onProgress = [&](double, const char* key) {
            sawErase = sawErase || (key != nullptr && std::string(key) == "DiscErase_Erase");
            exports->cancelSession();
        };
        ASSERT_TRUE(erase(params));
        ASSERT_TRUE(qm::test::PumpUntil([&] { return events.finished; }, 10));
        events.onProgress = nullptr;
        EXPECT_TRUE(sawErase);
        EXPECT_FALSE(events.aborted);
        EXPECT_EQ(disc->erases.back(), mode == 0);
        EXPECT_TRUE(events.session->hasSucceeded());
    }
    // A refused erase: finished, not succeeded.
    disc->eraseResult = DiscResult::Failed;
    ASSERT_TRUE(erase(params));
    ASSERT_TRUE(qm::test::PumpUntil([&] { return events.finished; }, 10));
    EXPECT_FALSE(events.session->hasSucceeded());
    EXPECT_EQ(events.session->getFailureText(), "Cannot erase the disc.");
}

TEST(DiscImages, LeftoversOfAnEarlierRun)
{
    qm::test::TempFolder folder;
    const juce::File temp(folder.path().string());
    struct Case
    {
        const char* name;
        bool folderKind;
        bool found;
    };
    const Case cases[] = {
        {"TavrelDiscImage_20261211070000", true, true},
        {"TavrelDiscImage_2026121107000", true, false},
        {"TavrelDiscImage_202612110700001", true, false},
        {"TavrelDiscImage_2026121107000a", true, false},
        {"tavreldiscimage_20261211070000", true, false},
        {"TavrelDiscImage_20261211070001", false, false}, // a regular file
    };
    for (const Case& c : cases)
    {
        const juce::File f = temp.getChildFile(c.name);
        ASSERT_TRUE(c.folderKind ? f.createDirectory().wasOk() : f.replaceWithText("x"));
    }
    ASSERT_TRUE(temp.getChildFile("TavrelDiscImage_20261211070000")
                    .createSymbolicLink(temp.getChildFile("TavrelDiscImage_20261211070002"), true));
    const juce::Array<juce::File> found = DiscBurnSession::findLeftoverDiscImages(temp);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].getFileName(), "TavrelDiscImage_20261211070000");
    for (const Case& c : cases)
        EXPECT_TRUE(temp.getChildFile(c.name).exists()) << "nothing is deleted";
}
} // namespace

namespace
{
// A track file of the image that cannot be written (a full temporary drive)
// is told with its song before any disc is asked for.
TEST_F(DiscSessions, ATrackFileThatCannotBeWritten)
{
    Song("a", 4.0);
    Song("b", 8.0);
    DiscBurnParameter params = Params();
    {
        qm::test::ScopedFileSizeLimit limit(1000000);
        ASSERT_TRUE(limit.isSet());
        ASSERT_TRUE(Burn(params));
    }
    EXPECT_TRUE(events.aborted);
    const auto* error = events.find("error DiscBurn_CannotCreateTempFile");
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->songs, qm::test::RowSet({1}));
    EXPECT_EQ(disc->startCalls, 0);
    EXPECT_TRUE(ImageFolders().isEmpty());
}
} // namespace

namespace
{
// The discs that a drive cannot take, shown while waiting: a blank CD-RW in a
// drive that does not write CD-RW, and a disc too small for the songs.
TEST_F(DiscSessions, DiscsTheDriveCannotTake)
{
    Song("a", 4.0);
    drive.mediaFlags[3] = 0; // no CD-RW writing
    DiscBurnParameter params = Params();
    disc->discType = 3;
    disc->blank = true;
    disc->ejectEmpties = false;
    std::vector<std::pair<std::string, juce::StringArray>> shown;
    events.onProgress = [&](double, const char* key) {
        if (key == nullptr || std::string(key) == "DiscBurn_CreateTemp")
            return;
        if (std::string(key) == "DiscBurn_DriveCannotBurnThisTypeOfDisc")
        {
            disc->discType = 2; // a CD-R, but too small
            disc->freeSpace = 1000;
        }
        else if (std::string(key) == "DiscBurn_OverDiscSize")
        {
            disc->freeSpace = uint64_t(1) << 40;
            exports->cancelSession();
        }
        shown.push_back({key, {}});
    };
    ASSERT_TRUE(Burn(params));
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[0].first, "DiscBurn_DriveCannotBurnThisTypeOfDisc");
    EXPECT_EQ(shown[1].first, "DiscBurn_OverDiscSize");
    EXPECT_TRUE(events.aborted);
}

// Cancelled while normalising and while making the image: aborted, nothing
// left, no disc written.
TEST_F(DiscSessions, CancelWhileNormalisingOrMakingTheImage)
{
    Song("a", 30.0);
    Song("b", 30.0);
    DiscBurnParameter params = Params();
    for (const char* key : {"Export_DetectNormalizeGain", "DiscBurn_CreateTemp"})
    {
        SCOPED_TRACE(key);
        ASSERT_TRUE(common.selectChoiceByValue(CommonExportParameter::kNormalizeMode,
                                               std::string(key) == "DiscBurn_CreateTemp" ? 0 : 1));
        disc->discType = 2;
        disc->blank = true;
        const int starts = disc->startCalls;
        events.onProgress = [&](double, const char* shownKey) {
            if (shownKey != nullptr && std::string(shownKey) == key)
                exports->cancelSession();
        };
        ASSERT_TRUE(Burn(params));
        events.onProgress = nullptr;
        EXPECT_TRUE(events.aborted);
        EXPECT_EQ(disc->startCalls, starts);
        EXPECT_TRUE(ImageFolders().isEmpty());
    }
}
} // namespace
