#include "ui/look/UiText.h"

#include "app/core/CBJXResource.h"
#include "ui/look/CTVLookAndFeel.h"

namespace Tavrel
{
juce::String uiText(const char* key)
{
    return CBJXResource::GetString(key);
}

std::unique_ptr<juce::Label> makeCaption(const char* key, int fontKind)
{
    auto label = std::make_unique<juce::Label>(juce::String(), uiText(key));
    if (const CTVLookAndFeel* look = CTVLookAndFeel::GetStoredInstance())
        look->setLabelFontKind(*label, fontKind);
    return label;
}
} // namespace Tavrel
