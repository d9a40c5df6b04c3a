#include "app/core/UiServices.h"

#include <cstdio>

namespace Tavrel
{
namespace
{
// Without a user interface: every question is cancelled, every chooser
// comes back empty, a message goes to the standard error.
class HeadlessUiServices final : public UiServices
{
public:
    void showOkMessageBox(juce::MessageBoxIconType, const juce::String& title, const juce::String& message,
                          const juce::String& secondText) override
    {
        std::fprintf(stderr, "Quillmark: %s: %s %s\n", title.toRawUTF8(), message.toRawUTF8(), secondText.toRawUTF8());
    }
    bool showOkCancelBox(juce::MessageBoxIconType, const juce::String&, const juce::String&, const juce::String&,
                         const juce::String&, const juce::String&) override
    {
        return false;
    }
    int showYesNoCancelBox(juce::MessageBoxIconType, const juce::String&, const juce::String&, const juce::String&,
                           const juce::String&, const juce::String&) override
    {
        return 0;
    }
    bool browseForFiles(BrowseMode, juce::Array<juce::File>&) override { return false; }
    bool browseForFile(BrowseMode, juce::File&) override { return false; }
    bool browseForSaveAsFile(juce::File&) override { return false; }
    bool browseForFolders(juce::Array<juce::File>&) override { return false; }
    void showAboutWindow(juce::Component*) override {}
    void showKeyMappingEditor(juce::KeyPressMappingSet&, juce::Component*, const juce::String&) override {}
    void beep() override {}
};

UiServices* g_installed = nullptr;
} // namespace

void UiServices::install(UiServices* services)
{
    g_installed = services;
}

UiServices& UiServices::get()
{
    static HeadlessUiServices headless;
    return g_installed != nullptr ? *g_installed : headless;
}
} // namespace Tavrel
