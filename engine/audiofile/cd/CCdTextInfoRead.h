#pragma once

#include <memory>

#include "engine/audiofile/cd/CCdTextInfoReadImp.h"

// The CD-TEXT of the disc in a drive, as the audio-CD reader uses it: opens
// the platform's implementation and finds the block in the user's language
// and the English block.
class CCdTextInfoRead
{
public:
    static constexpr int kEnglish = 0x09;
    static constexpr int kJapanese = 0x69;

    // Prefers the language of the process's character-type locale.
    CCdTextInfoRead();
    // Prefers the given language code.
    explicit CCdTextInfoRead(int preferredLanguage);
    virtual ~CCdTextInfoRead();

    CCdTextInfoRead(const CCdTextInfoRead&) = delete;
    CCdTextInfoRead& operator=(const CCdTextInfoRead&) = delete;

    // Anything but Ok leaves the reader closed; it then answers empty texts.
    CdTextOpenResult Open(const char16_t* drive);
    void Close();

    int GetTitle(char16_t* dst, int capacity, int block, int track);
    int GetPerformer(char16_t* dst, int capacity, int block, int track);
    int GetLanguage(int block);

    int GetPreferredLanguage() const { return m_preferredLanguage; }
    // The lowest block in the preferred language, and the lowest English
    // block; 0 when there is none or no disc was read.
    int GetPreferredBlock() const { return m_preferredBlock; }
    int GetEnglishBlock() const { return m_englishBlock; }

    // Japanese for a locale named "ja", "ja_..." or "Japanese...", English
    // otherwise.
    static int LanguageOfLocale(const char* localeName);

private:
    std::unique_ptr<CCdTextInfoReadImp> m_imp;
    int m_preferredLanguage;
    int m_preferredBlock = 0;
    int m_englishBlock = 0;
};
