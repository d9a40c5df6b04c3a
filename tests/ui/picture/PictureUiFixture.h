#pragma once

// The picture views' world: the UI fixture with the dialog manager (its
// chooser answered by the test), HOME in a temporary folder, and a count of
// the picture readers asked for.

#include <mutex>
#include <vector>

#include "tests/support/PictureFiles.h"
#include "tests/support/ScopedEnv.h"
#include "tests/ui/UiFixture.h"
#include "ui/picture/PictureDecoding.h"
#include "ui/windows/DialogManager.h"

namespace qm::test
{
// The paths picture readers were asked for, in order (any thread).
class ReaderLog
{
public:
    ReaderLog()
    {
        Tavrel::setPictureReaderHookForTests([this](const juce::String& path) {
            int delay = 0;
            {
                std::lock_guard<std::mutex> guard(m_lock);
                m_paths.add(path);
                delay = m_delayMs;
            }
            if (delay > 0)
                juce::Thread::sleep(delay);
        });
    }
    ~ReaderLog() { Tavrel::setPictureReaderHookForTests({}); }
    juce::StringArray paths() const
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_paths;
    }
    int count() const { return paths().size(); }
    // Every later read waits this long before it starts.
    void setDelay(int ms)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_delayMs = ms;
    }

private:
    mutable std::mutex m_lock;
    juce::StringArray m_paths;
    int m_delayMs = 0;
};

class PictureUiFixture : public UiFixture
{
protected:
    explicit PictureUiFixture(const char* locale = LanguageSwitch::kEnglish)
        : UiFixture(locale)
    {
        dialogs = Tavrel::DialogManager::GetInstance();
    }
    ~PictureUiFixture() override
    {
        Tavrel::DialogManager::setChooserHookForTests({});
        Tavrel::DialogManager::Release();
    }

    juce::File Picture(const std::string& name, int width, int height, juce::Colour colour = juce::Colours::red)
    {
        return WritePicture(folder.file(name), width, height, colour);
    }
    // Answers the next choosers with the file (an empty file cancels).
    void ChooserAnswers(const juce::File& file)
    {
        Tavrel::DialogManager::setChooserHookForTests(
            [file](const Tavrel::DialogManager::ChooserRequest&, juce::Array<juce::File>& results) {
                if (file == juce::File())
                    return false;
                results.add(file);
                return true;
            });
    }

    TempFolder home;
    ScopedEnv homeVariable{"HOME", home.path().string()};
    ReaderLog readers;
    Tavrel::DialogManager* dialogs = nullptr;
};
} // namespace qm::test
