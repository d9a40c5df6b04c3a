#pragma once

// A file export through the real export manager and controller: songs made
// as WAV files at run time, a listener that notes every event with its
// thread and answers the questions as the test says, and helpers that read
// the written files back.

#include <juce_audio_formats/juce_audio_formats.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "disc/CAudioDiscBurnProxy.h"
#include "disc/CDiscBurnImpWinAudioCD.h"
#include "tests/disc/FakeDiscBurnImp.h"
#include "session/export/FileExportSession.h"
#include "session/manager/ExportManager.h"
#include "tests/app/commands/CommandsFixture.h"
#include "tests/support/MessageLoop.h"

namespace qm::test
{
class ExportEvents final : public Tavrel::ExportSessionListener
{
public:
    struct Event
    {
        std::string what;
        juce::SparseSet<int> songs;
        juce::StringArray texts;
    };

    void exportSessionStarted(Tavrel::ExportSession* startedSession) override
    {
        running = startedSession;
        note("started");
    }
    void exportSessionProcessingStarted(Tavrel::ExportSession*) override
    {
        note("processing");
        if (onProcessing)
            onProcessing();
    }
    void exportSessionFinished(Tavrel::ExportSession* finishedSession, bool wasAborted) override
    {
        session = finishedSession;
        note(wasAborted ? "finished aborted" : "finished");
        aborted = wasAborted;
        finished = true;
    }
    void exportSessionError(Tavrel::ExportSession*, const char* key, const juce::SparseSet<int>& songs,
                            const juce::StringArray& texts) override
    {
        note(std::string("error ") + key, songs, texts);
    }
    bool exportSessionWarning(Tavrel::ExportSession*, const char* key, const juce::SparseSet<int>& songs,
                              const juce::StringArray& texts) override
    {
        note(std::string("warning ") + key, songs, texts);
        return answer ? answer(key) : true;
    }
    void exportSessionProgress(Tavrel::ExportSession*, double progress, const char* key,
                               const juce::StringArray& texts) override
    {
        if (key != nullptr)
            normaliseTexts.add(texts.joinIntoString(","));
        else
            progressValues.push_back(progress);
        if (onProgress)
            onProgress(progress, key);
    }

    // Forgets what was noted; the answers stay.
    void clear()
    {
        events.clear();
        progressValues.clear();
        normaliseTexts.clear();
        finished = aborted = offMessageThread = false;
    }

    // The events other than progress, in order.
    std::vector<Event> events;
    std::vector<double> progressValues;
    juce::StringArray normaliseTexts;
    bool finished = false;
    bool aborted = false;
    // The session that finished last (the manager keeps it until the next),
    // and the one that started last.
    Tavrel::ExportSession* session = nullptr;
    Tavrel::ExportSession* running = nullptr;
    bool offMessageThread = false;
    std::function<bool(const std::string& key)> answer;
    std::function<void()> onProcessing;
    std::function<void(double, const char*)> onProgress;

    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const Event& e : events)
            out.push_back(e.what);
        return out;
    }
    const Event* find(const std::string& what) const
    {
        for (const Event& e : events)
            if (e.what == what)
                return &e;
        return nullptr;
    }

private:
    void note(const std::string& what, const juce::SparseSet<int>& songs = {}, const juce::StringArray& texts = {})
    {
        offMessageThread = offMessageThread || !juce::MessageManager::getInstance()->isThisTheMessageThread();
        events.push_back({what, songs, texts});
    }
};

// The manager is made before the controller, which finds it as the
// process's session monitor. Its burner writes to a fake disc writer, made
// when the burner is (first asked for), with the drive of `drive`.
struct ManagerFirst
{
    ManagerFirst()
        : exports(std::make_unique<Tavrel::ExportManager>(std::make_unique<CAudioDiscBurnProxy>([this]() -> std::unique_ptr<CDiscBurnImp> {
              if (realBurner)
                  return std::make_unique<CDiscBurnImpWinAudioCD>();
              auto fake = std::make_unique<FakeDiscBurnImp>();
              fake->devices = {drive};
              fake->devicesAfterRescan = {drive};
              disc = fake.get();
              return fake;
          })))
    {
        drive.drive = "D";
        drive.vendor = "V";
        drive.product = "P";
        drive.mediaFlags[2] = drive.mediaFlags[3] = 1; // CD-R, CD-RW
    }
    juce::ScopedJuceInitialiser_GUI m_framework;
    DiscBurnDeviceRecord drive;
    FakeDiscBurnImp* disc = nullptr;
    // Set before the burner is first asked for: the program's own disc
    // writer (over image targets) instead of the fake.
    bool realBurner = false;
    std::unique_ptr<Tavrel::ExportManager> exports;
};

class ExportFixture : public ManagerFirst, public CommandsFixture
{
protected:
    ExportFixture()
    {
        exports->AddListener(&events);
        out = juce::File(folder.file("out").string());
        out.createDirectory();
        file.setItemText(out.getFullPathName(), Tavrel::FileExportParameter::kDestination);
    }
    ~ExportFixture() override
    {
        if (exports != nullptr)
            exports->RemoveListener(&events);
        exports.reset();
        Tavrel::FileExportSession::setFreeSpaceQuery({});
    }

    // A song of a tone (or, with `constant`, of one value) named `name`.
    int Song(const std::string& name, double seconds, int rate = 44100, int channels = 2, float amplitude = 0.5f)
    {
        const auto path = folder.file(name + ".src.wav");
        const int frames = static_cast<int>(seconds * rate);
        WriteWav(path, rate, channels, frames, false, [&](int i, int c) {
            return amplitude * std::sin(2.0f * 3.14159265f * (440.0f + 220.0f * c) * i / rate);
        });
        return AddRecord(path, name);
    }

    // A song of the file, appended to the list under the name.
    int AddRecord(const std::filesystem::path& path, const std::string& name)
    {
        std::unique_ptr<CAudioFileReadBase> reader(CreateAudioFileReader(path.u16string().c_str(), false));
        EXPECT_NE(reader, nullptr) << name;
        if (reader == nullptr)
            return -1;
        auto* track = new Tavrel::TrackInfo(*reader);
        track->setTextField(juce::String(name), Tavrel::TrackInfo::kSongName, false);
        host->tracks.push_back(track);
        track->addListener(host);
        host->RebuildNameIndex();
        host->BuildShuffleOrder();
        return host->GetTrackCount() - 1;
    }

    // Starts an export of the current settings; false when start refused.
    bool Start()
    {
        events.clear();
        return exports->startSession(std::make_unique<Tavrel::FileExportSession>(file, common));
    }
    // Starts and waits for the end; false when start refused.
    bool Export()
    {
        if (!Start())
            return false;
        EXPECT_TRUE(PumpUntil([&] { return events.finished; }, 120));
        PumpPosted();
        return true;
    }

    juce::StringArray OutFiles() const
    {
        juce::StringArray names;
        for (const juce::File& f : out.findChildFiles(juce::File::findFiles, false, "*"))
            names.add(f.getFileName());
        names.sort(false);
        return names;
    }

    // The bytes of a file.
    static juce::MemoryBlock Bytes(const juce::File& f)
    {
        juce::MemoryBlock bytes;
        f.loadFileAsData(bytes);
        return bytes;
    }

    // The samples of a written WAV or AIFF file, per channel.
    static std::vector<std::vector<float>> Read(const juce::File& f, double* rate = nullptr, int* bits = nullptr)
    {
        juce::AudioFormatManager formats;
        formats.registerBasicFormats();
        std::unique_ptr<juce::AudioFormatReader> reader(formats.createReaderFor(f));
        if (reader == nullptr)
            return {};
        if (rate != nullptr)
            *rate = reader->sampleRate;
        if (bits != nullptr)
            *bits = static_cast<int>(reader->bitsPerSample);
        juce::AudioBuffer<float> buffer(static_cast<int>(reader->numChannels), static_cast<int>(reader->lengthInSamples));
        reader->read(&buffer, 0, buffer.getNumSamples(), 0, true, true);
        std::vector<std::vector<float>> channels;
        for (int c = 0; c < buffer.getNumChannels(); ++c)
            channels.emplace_back(buffer.getReadPointer(c), buffer.getReadPointer(c) + buffer.getNumSamples());
        return channels;
    }

    ExportEvents events;
    juce::File out;
    Tavrel::FileExportParameter file;
    Tavrel::CommonExportParameter common;
};
} // namespace qm::test
