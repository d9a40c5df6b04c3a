#include "app/core/CBJXResource.h"
#include "app/core/CTVResourceManager.h"
#include "platform/resources/ResourceModule.h"
#include "resources/EmbeddedResources.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{
// The program's own resources, as a module in the given language.
qm::platform::ResourceModule BuiltIn(const std::string& language)
{
    std::vector<qm::platform::ResourceFile> files;
    for (const auto& file : qm::resources::EmbeddedFiles())
        files.push_back({file.fileName, file.data, static_cast<std::size_t>(file.size)});
    return qm::platform::ResourceModule(std::move(files), language);
}

bool InSources(const char* path)
{
    return std::filesystem::exists(std::filesystem::path(QM_SOURCE_DIR) / path);
}
} // namespace

TEST(BuiltInResources, StringTablesOfBothLanguagesLoad)
{
    if (!InSources("resources/strings/en.xml") || !InSources("resources/strings/ja.xml"))
        GTEST_SKIP() << "the string tables are not in the sources";
    for (const char* language : {"en", "ja"})
    {
        const auto module = BuiltIn(language);
        CBJXResource::SetModule(&module);
        CBJXResource* resource = CBJXResource::GetInstance();
        EXPECT_EQ(CBJXResource::GetString(resource, "Common_Language"), language);
        EXPECT_EQ(CBJXResource::GetString(resource, "Button_Ok").isEmpty(), false) << language;
        CBJXResource::Release();
        CBJXResource::SetModule(nullptr);
    }
}

TEST(BuiltInResources, EveryNamedImageLoads)
{
    if (!InSources("resources/images/CMakeLists.txt"))
        GTEST_SKIP() << "the image generator is not in the sources";
    const auto module = BuiltIn("en");
    CBJXResource::SetModule(&module);
    CTVResourceManager* manager = CTVResourceManager::GetInstance();
    ASSERT_NE(manager, nullptr);
    for (int i = 0; i < CTVResourceManager::kImageCount; ++i)
        EXPECT_TRUE(manager->GetImage(i).isValid()) << CTVResourceManager::kImageNames[static_cast<std::size_t>(i)];
    CTVResourceManager::Release();
    CBJXResource::SetModule(nullptr);
}
