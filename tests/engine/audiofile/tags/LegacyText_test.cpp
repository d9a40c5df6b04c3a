#include <gtest/gtest.h>

#include <string>

#include "engine/audiofile/tags/LegacyText.h"
#include "engine/audiofile/wav/CWavFileRead.h"
#include "tests/engine/audiofile/RiffBytes.h"
#include "tests/engine/audiofile/ScopedLocaleEnvironment.h"
#include "tests/support/TempFolder.h"

using namespace qm::test;

// Old tag bytes follow the code page of the user interface language, in the
// ID3 readers and in the WAV reader's INFO texts alike.
TEST(LegacyText, CodePageFollowsTheInterfaceLanguage)
{
    const struct
    {
        const char* lcAll;
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"en_US.UTF-8", "Caf\xE9 \x85", u"Caf\u00E9 \u2026"},
        {"ja_JP.UTF-8", "\x83\x65\x83\x58\x83\x67", u"\u30C6\u30B9\u30C8"},
        {"ja_JP.UTF-8", "\x93\xFA\x96\x7B", u"\u65E5\u672C"},
    };
    TempFolder folder;
    for (const auto& c : cases)
    {
        ScopedLcAll language(c.lcAll);
        char16_t out[129];
        LegacyBytesToWide(out, 129, c.bytes.c_str(), static_cast<uint32_t>(c.bytes.size()));
        EXPECT_EQ(std::u16string(out), c.text) << c.lcAll;

        const Bytes wav = riff("WAVE", {chunk("fmt ", fmtBody(1, 1, 44100, 16)), chunk("data", silence(4)),
                                        chunk("LIST", infoBody({{"IART", c.bytes}}))});
        writeFile(folder.file("info.wav"), wav);
        CWavFileRead reader;
        ASSERT_EQ(reader.Open(folder.file("info.wav").u16string().c_str()), ReaderOpenResult::Ok);
        EXPECT_EQ(std::u16string(reader.GetMetaData()->GetField(CAudioMetaData::kArtist)->GetWide()), c.text)
            << c.lcAll;
    }
}
