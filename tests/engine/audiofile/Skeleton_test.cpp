#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include "tests/support/TempFolder.h"

TEST(Skeleton, JuceAndSupportLink)
{
    qmtest::TempFolder folder;
    EXPECT_TRUE(std::filesystem::is_directory(folder.path()));
    EXPECT_EQ(juce::String("Quillmark").length(), 9);
}
