#include "tests/support/Screenshots.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/TempFolder.h"

namespace qm::test::screenshots
{
namespace
{
std::string Language()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
    {
        const char* value = std::getenv(variable);
        if (value != nullptr && value[0] != 0)
            return std::string(value).rfind("ja", 0) == 0 ? "ja" : "en";
    }
    return "en";
}
} // namespace

juce::File artifactFile(const std::string& suite, const std::string& name)
{
    const juce::File folder = juce::File(juce::String(QM_BUILD_DIR)).getChildFile("test-artifacts").getChildFile(suite);
    folder.createDirectory();
    return folder.getChildFile(name + "-" + Language() + ".png");
}

juce::Image snapshot(juce::Component& component, const std::string& suite, const std::string& name)
{
    const juce::Image image = component.createComponentSnapshot(component.getLocalBounds(), true, 1.0f);
    const juce::File file = artifactFile(suite, name);
    file.deleteFile();
    juce::FileOutputStream out(file);
    juce::PNGImageFormat png;
    if (!out.openedOk() || !png.writeImageToStream(image, out))
    {
        ADD_FAILURE() << "cannot write " << file.getFullPathName();
        return {};
    }
    return image;
}

juce::File captureScreen(const std::string& suite, const std::string& name)
{
    const juce::File file = artifactFile(suite, name + "-screen");
    file.deleteFile();
    if (runCommand("command -v ffmpeg >/dev/null 2>&1") != 0)
    {
        ADD_FAILURE() << "ffmpeg is not installed (Debian package ffmpeg): the screen cannot be captured";
        return file;
    }
    const char* display = std::getenv("DISPLAY");
    const std::string command = "ffmpeg -loglevel error -y -f x11grab -video_size 1280x1024 -i " +
                                shellQuote(display != nullptr ? display : ":0") + " -frames:v 1 " +
                                shellQuote(file.getFullPathName().toStdString());
    EXPECT_EQ(runCommand(command), 0) << command;
    return file;
}
} // namespace qm::test::screenshots
