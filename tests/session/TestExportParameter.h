#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "app/core/CTVPreferences.h"
#include "session/parameters/ExportParameter.h"

// A small parameter set: a format (WAV, AIFF and, when offered, MP3), a
// sample rate that depends on it, a folder text and an item that is not
// stored. The format values differ from their indices, as real ones do.
class TestExportParameter final : public Tavrel::ExportParameter
{
public:
    enum Item
    {
        kFormat = 0,
        kRate = 1,
        kFolder = 2,
        kUnstored = 3,
    };
    static constexpr int kMp3 = 4;

    explicit TestExportParameter(bool withDefaults = true, bool mp3Offered = true)
        : ExportParameter(4),
          mp3Offered(mp3Offered)
    {
        if (withDefaults)
        {
            selectChoiceByValue(kFormat, 0);
            selectChoiceByValue(kRate, 44100);
            setItemText("/music", kFolder);
            selectChoiceByValue(kUnstored, 5);
        }
        log.clear();
    }

    TestExportParameter(const TestExportParameter&) = default;

    int getItemKind(int item) const override
    {
        switch (item)
        {
        case kFormat:
        case kRate:
        case kUnstored:
            return kItemChoice;
        case kFolder:
            return kItemText;
        default:
            return kItemNone;
        }
    }

    juce::Array<int> getChoiceValues(int item) const override
    {
        switch (item)
        {
        case kFormat:
            return mp3Offered ? juce::Array<int>{0, 1, kMp3} : juce::Array<int>{0, 1};
        case kRate:
            return juce::Array<int>(rates.data(), static_cast<int>(rates.size()));
        case kUnstored:
            return {5, 6};
        default:
            return {};
        }
    }

    juce::StringArray getChoiceTexts(int item) const override
    {
        juce::StringArray texts;
        if (item == kFormat)
            texts = mp3Offered ? juce::StringArray{"WAV", "AIFF", "MP3"} : juce::StringArray{"WAV", "AIFF"};
        else if (item == kRate)
            for (int rate : rates)
                texts.add(juce::String(rate / 1000.0, 1) + " kHz");
        else if (item == kUnstored)
            texts = {"Five", "Six"};
        return texts;
    }

    // MP3 takes no rate above 48 kHz; a format in disabledFormats cannot be
    // chosen.
    juce::BigInteger getEnabledChoices(int item) const override
    {
        juce::BigInteger enabled;
        const juce::Array<int> values = getChoiceValues(item);
        for (int i = 0; i < values.size(); ++i)
        {
            bool on = true;
            if (item == kFormat)
                on = std::find(disabledFormats.begin(), disabledFormats.end(), values[i]) == disabledFormats.end();
            else if (item == kRate)
                on = getChoiceValue(kFormat) != kMp3 || values[i] <= 48000;
            enabled.setBit(i, on);
        }
        return enabled;
    }

    bool validateChoice(int item, int& index) override
    {
        const juce::BigInteger enabled = getEnabledChoices(item);
        if (index < 0 || !enabled[index])
            index = enabled.findNextSetBit(0);
        return index >= 0;
    }

    // Folders are trimmed; a blank one is refused.
    bool acceptsText(int item, juce::String& text) override
    {
        if (item != kFolder || text.trim().isEmpty())
            return false;
        text = text.trim();
        return true;
    }

    void itemChanged(int item) override
    {
        log.push_back("itemChanged " + std::to_string(item));
        if (item == kFormat)
        {
            updateBoundEnabledChoices(kRate);
            setChoice(kRate, getSelectedIndex(kRate));
        }
    }

    juce::String getItemKey(int item) const override
    {
        switch (item)
        {
        case kFormat:
            return "Test_Format";
        case kRate:
            return "Test_Rate";
        case kFolder:
            return "Test_Folder";
        default:
            return {};
        }
    }

    void saveExtraToRegistry() override
    {
        if (auto* preferences = getPreferences())
            preferences->SetString("Test_Extra", extra);
    }

    void loadExtraFromRegistry() override
    {
        ++extraLoads;
        if (auto* preferences = getPreferences())
            extra = preferences->GetString("Test_Extra", extra);
    }

    bool mp3Offered;
    std::vector<int> disabledFormats;
    std::vector<int> rates{44100, 48000, 96000};
    juce::String extra;
    int extraLoads = 0;
    std::vector<std::string> log;
};

// Logs what a parameter set tells its listeners into a shared log.
class ParameterLog final : public Tavrel::ExportParameterListener
{
public:
    explicit ParameterLog(std::vector<std::string>& target)
        : log(target)
    {
    }

    void exportParameterChanged(Tavrel::ExportParameter*, int item) override
    {
        log.push_back("changed " + std::to_string(item));
    }
    void exportParameterComponentChanged(Tavrel::ExportParameter*, int item, juce::Component* component) override
    {
        log.push_back("component " + std::to_string(item));
        components.push_back(component);
    }

    std::vector<std::string>& log;
    std::vector<juce::Component*> components;
};
