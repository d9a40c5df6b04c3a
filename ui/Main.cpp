// Process entry of Quillmark. The main window is not part of this build yet;
// until it is, the program reports which subsystems it was built with.
#include <juce_core/juce_core.h>

#include <clocale>
#include <cstdio>

int main(int, char**)
{
    std::setlocale(LC_ALL, "");
    std::printf("Quillmark %s\n", "1.0.0");
    std::printf("Built with JUCE %s.\n", juce::SystemStats::getJUCEVersion().toRawUTF8());
    std::printf("The main window is not available in this build yet; "
                "run scripts/test.sh to exercise the engine.\n");
    return 0;
}
