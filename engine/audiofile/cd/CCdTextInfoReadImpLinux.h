#pragma once

#include "engine/audiofile/cd/CCdTextInfoReadImp.h"
#include "engine/audiofile/cd/CCdTextPacks.h"

// CD-TEXT of a drive of the platform's CD layer (a device node or a disc
// image): the packs as the drive returns them and the disc's last track
// number from its table of contents.
class CCdTextInfoReadImpLinux : public CCdTextInfoReadImp
{
public:
    CCdTextInfoReadImpLinux() = default;
    ~CCdTextInfoReadImpLinux() override;

    CdTextOpenResult Open(const char16_t* drive) override;
    void Close() override;
    int GetTitle(char16_t* dst, int capacity, int block, int track) override;
    int GetPerformer(char16_t* dst, int capacity, int block, int track) override;
    int GetLanguage(int block) override;

private:
    int GetText(uint8_t type, char16_t* dst, int capacity, int block, int track);

    CCdTextPacks m_packs;
};
