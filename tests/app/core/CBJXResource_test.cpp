#include "app/core/CBJXResource.h"
#include "app/core/CTVResourceManager.h"

#include "tests/app/TestResources.h"

#include <gtest/gtest.h>

namespace
{
using qm::test::TestResources;

// A PNG of noise, which does not compress: width x height x 4 bytes and more.
juce::MemoryBlock NoisePng(int width, int height)
{
    juce::Image image(juce::Image::ARGB, width, height, false);
    juce::Random random(42);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelAt(x, y, juce::Colour(static_cast<juce::uint32>(random.nextInt()) | 0xff000000u));
    juce::MemoryOutputStream out;
    juce::PNGImageFormat().writeImageToStream(image, out);
    return out.getMemoryBlock();
}
} // namespace

TEST(CBJXResource, StringLookups)
{
    TestResources resources({TestResources::StringTable({
        {"Two_Lines", "first##second"},
        {"Three_Hashes", "a###b"},
        {"Plain", "OK"},
        {"No_Text", ""},
        {"Plain", "second entry of the same key"},
    })});
    struct Case
    {
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Two_Lines", "first\nsecond"},
        {"Three_Hashes", "a\n#b"},
        {"Plain", "OK"}, // the first entry of a key counts
        {"plain", ""},   // keys are case-sensitive
        {"Unknown_Key", ""},
        {"No_Text", ""},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(CBJXResource::GetString(resources.resource(), c.key), c.expected) << c.key;
        EXPECT_EQ(CBJXResource::GetString(c.key), c.expected) << c.key;
    }
    EXPECT_EQ(CBJXResource::GetString(nullptr, "Plain"), "");
}

TEST(CBJXResource, MissingOrBrokenTableGivesEmptyTexts)
{
    const std::string broken = "Plain = OK";
    for (auto files : {std::vector<TestResources::File>{},
                       std::vector<TestResources::File>{
                           {"LocalizableStrings.en.xml", juce::MemoryBlock(broken.data(), broken.size())}}})
    {
        TestResources resources(std::move(files));
        ASSERT_NE(resources.resource(), nullptr);
        EXPECT_EQ(CBJXResource::GetString(resources.resource(), "Plain"), "");
        EXPECT_EQ(CBJXResource::GetString("Plain"), "");
    }
}

TEST(CBJXResource, TableOfTheUsersLanguage)
{
    for (const auto& [language, expected] : {std::pair{"ja", "はい"}, std::pair{"en", "Yes"}, std::pair{"de", "Yes"}})
    {
        TestResources resources({TestResources::StringTable({{"Button_Yes", "はい"}}, "ja"),
                                 TestResources::StringTable({{"Button_Yes", "Yes"}}, "en")},
                                language);
        EXPECT_EQ(CBJXResource::GetString("Button_Yes"), juce::String::fromUTF8(expected)) << language;
    }
}

TEST(CBJXResource, ImagesAndRawBytes)
{
    const juce::MemoryBlock big = NoisePng(160, 120);
    ASSERT_GT(big.getSize(), 65536u);
    const std::string text = "not a picture";
    TestResources resources({{"BigPicture.png", big}, {"Garbage.png", juce::MemoryBlock(text.data(), text.size())}});
    CBJXResource* r = resources.resource();

    const juce::Image image = r->LoadImage("bigpicture", "PNG"); // names and types ignore case
    ASSERT_TRUE(image.isValid());
    EXPECT_EQ(image.getWidth(), 160);
    EXPECT_EQ(image.getHeight(), 120);
    EXPECT_TRUE(r->LoadImage("Garbage", "png").isNull());
    EXPECT_TRUE(r->LoadImage("Missing", "png").isNull());
    EXPECT_TRUE(r->LoadImage("BigPicture", "xml").isNull());

    char head[8] = {};
    int fullSize = 0;
    EXPECT_EQ(r->CopyResource("BigPicture", "png", head, sizeof head, &fullSize), 8);
    EXPECT_EQ(fullSize, static_cast<int>(big.getSize()));
    EXPECT_EQ(std::memcmp(head, big.getData(), 8), 0);
    EXPECT_EQ(r->CopyResource("BigPicture", "png", nullptr, 0, &fullSize), 0);
    EXPECT_EQ(fullSize, static_cast<int>(big.getSize()));
    EXPECT_EQ(r->CopyResource("Missing", "png", head, sizeof head, &fullSize), 0);
    EXPECT_EQ(fullSize, -1);
}

TEST(CTVResourceManager, LoadsTheNamedImagesAndHoldsTheStringTable)
{
    ASSERT_STREQ(CTVResourceManager::kImageNames[23], "TimeSliderBar");
    ASSERT_STREQ(CTVResourceManager::kImageNames[61], "Player_BrenlowLogo");
    TestResources resources({TestResources::StringTable({{"Button_Ok", "OK"}}),
                             {"TIMESLIDERBAR.png", NoisePng(200, 100)},
                             {"ButtonAdd.png", NoisePng(4, 4)}});
    CTVResourceManager* manager = CTVResourceManager::GetInstance();
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(manager->GetImage(23).getWidth(), 200);
    EXPECT_EQ(manager->GetImage(0).getWidth(), 4);
    EXPECT_TRUE(manager->GetImage(1).isNull()) << "a missing image stays null";
    EXPECT_TRUE(manager->GetImage(-1).isNull());
    EXPECT_TRUE(manager->GetImage(CTVResourceManager::kImageCount).isNull());

    // The manager's reference keeps the string table alive after the
    // fixture's own reference is gone.
    CBJXResource::Release();
    EXPECT_EQ(CBJXResource::GetString("Button_Ok"), "OK");
    CBJXResource::GetInstance();
    CTVResourceManager::Release();
}
