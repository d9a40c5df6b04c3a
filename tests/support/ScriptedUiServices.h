#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/core/UiServices.h"

namespace qm::test
{
// The user interface's services as a test scripts them: every call is noted
// with its icon and texts, answers come from a queue the test fills, beeps
// are counted, and a call with no answer queued fails the test (and answers
// as a cancel). Installed for the object's life.
class ScriptedUiServices final : public Tavrel::UiServices
{
public:
    struct Call
    {
        std::string kind; // "ok", "okCancel", "yesNoCancel", "files", "file", "saveAs", "folders", "about", "keys"
        juce::MessageBoxIconType icon = juce::MessageBoxIconType::NoIcon;
        juce::StringArray texts;
    };
    // One queued answer: a button number (1 first, 2 second, 0 cancel) and,
    // for the choosers, the files chosen.
    struct Answer
    {
        int button = 0;
        juce::Array<juce::File> files;
    };

    ScriptedUiServices() { install(this); }
    ~ScriptedUiServices() override { install(nullptr); }
    ScriptedUiServices(const ScriptedUiServices&) = delete;
    ScriptedUiServices& operator=(const ScriptedUiServices&) = delete;

    void queue(int button, const juce::Array<juce::File>& files = {}) { answers.push_back({button, files}); }

    void showOkMessageBox(juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message,
                          const juce::String& secondText) override
    {
        calls.push_back({"ok", icon, {title, message, secondText}});
    }
    bool showOkCancelBox(juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message,
                         const juce::String& first, const juce::String& second, const juce::String& secondText) override
    {
        calls.push_back({"okCancel", icon, {title, message, first, second, secondText}});
        return next().button == 1;
    }
    int showYesNoCancelBox(juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message,
                           const juce::String& first, const juce::String& second, const juce::String& third) override
    {
        calls.push_back({"yesNoCancel", icon, {title, message, first, second, third}});
        return next().button;
    }
    bool browseForFiles(BrowseMode, juce::Array<juce::File>& files) override
    {
        calls.push_back({"files", {}, {}});
        const Answer a = next();
        files = a.files;
        return a.button == 1;
    }
    bool browseForFile(BrowseMode, juce::File& file) override
    {
        calls.push_back({"file", {}, {}});
        const Answer a = next();
        if (!a.files.isEmpty())
            file = a.files[0];
        return a.button == 1;
    }
    bool browseForSaveAsFile(juce::File& file) override
    {
        calls.push_back({"saveAs", {}, {file.getFullPathName()}});
        const Answer a = next();
        if (!a.files.isEmpty())
            file = a.files[0];
        return a.button == 1;
    }
    bool browseForFolders(juce::Array<juce::File>& folders) override
    {
        calls.push_back({"folders", {}, {}});
        const Answer a = next();
        folders = a.files;
        return a.button == 1;
    }
    void showAboutWindow(juce::Component*) override { calls.push_back({"about", {}, {}}); }
    void showKeyMappingEditor(juce::KeyPressMappingSet&, juce::Component*, const juce::String& title) override
    {
        calls.push_back({"keys", {}, {title}});
    }
    void beep() override { ++beeps; }

    std::vector<Call> calls;
    std::deque<Answer> answers;
    int beeps = 0;

private:
    Answer next()
    {
        if (answers.empty())
        {
            ADD_FAILURE() << "a " << calls.back().kind << " call with no answer queued";
            return {};
        }
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
};
} // namespace qm::test
