#include "engine/audiofile/cd/CCdTextInfoRead.h"

#include <clocale>
#include <cstring>

#include "engine/audiofile/cd/CCdTextInfoReadImpLinux.h"

CCdTextInfoRead::CCdTextInfoRead()
    : CCdTextInfoRead(LanguageOfLocale(std::setlocale(LC_CTYPE, nullptr)))
{
}

CCdTextInfoRead::CCdTextInfoRead(int preferredLanguage)
    : m_imp(std::make_unique<CCdTextInfoReadImpLinux>()),
      m_preferredLanguage(preferredLanguage)
{
}

CCdTextInfoRead::~CCdTextInfoRead() = default;

int CCdTextInfoRead::LanguageOfLocale(const char* localeName)
{
    if (localeName == nullptr)
        return kEnglish;
    if (std::strncmp(localeName, "Japanese", 8) == 0)
        return kJapanese;
    if (std::strncmp(localeName, "ja", 2) == 0 && (localeName[2] == 0 || localeName[2] == '_' || localeName[2] == '.'))
        return kJapanese;
    return kEnglish;
}

CdTextOpenResult CCdTextInfoRead::Open(const char16_t* drive)
{
    m_imp->Close();
    m_preferredBlock = 0;
    m_englishBlock = 0;
    const CdTextOpenResult result = m_imp->Open(drive);
    if (result == CdTextOpenResult::Ok)
    {
        // From the highest block down, so the lowest matching block wins.
        for (int block = 7; block >= 0; --block)
        {
            const int language = m_imp->GetLanguage(block);
            if (language == m_preferredLanguage)
                m_preferredBlock = block;
            if (language == kEnglish)
                m_englishBlock = block;
        }
    }
    return result;
}

void CCdTextInfoRead::Close()
{
    m_imp->Close();
}

int CCdTextInfoRead::GetTitle(char16_t* dst, int capacity, int block, int track)
{
    return m_imp->GetTitle(dst, capacity, block, track);
}

int CCdTextInfoRead::GetPerformer(char16_t* dst, int capacity, int block, int track)
{
    return m_imp->GetPerformer(dst, capacity, block, track);
}

int CCdTextInfoRead::GetLanguage(int block)
{
    return m_imp->GetLanguage(block);
}
