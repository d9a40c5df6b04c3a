#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "tests/support/MinimalApplication.h"

#include <clocale>

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C.UTF-8");
    qm::test::InstallMinimalApplication();
    juce::ScopedJuceInitialiser_GUI juceInit;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
