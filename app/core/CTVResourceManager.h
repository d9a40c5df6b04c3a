#pragma once

#include "app/core/CBJXSingleton.h"

#include <juce_graphics/juce_graphics.h>

#include <array>

class CBJXResource;

// The program's named images, loaded once when the instance is created and
// held for the whole run. The manager holds a reference to CBJXResource for
// its whole life, so the UI-string table lives as long as it does.
class CTVResourceManager : public CBJXSingleton<CTVResourceManager>
{
public:
    static constexpr int kImageCount = 62;
    // The image names, in image-number order.
    static const std::array<const char*, kImageCount> kImageNames;

    CTVResourceManager();
    ~CTVResourceManager() override;

    // The image of a number; a null image when the number is out of range or
    // the image could not be loaded.
    juce::Image GetImage(int number) const;
    // The image of a name of kImageNames (without regard to case); a null
    // image for another name.
    juce::Image GetImage(const char* name) const;

private:
    CBJXResource* m_resource = nullptr;
    std::array<juce::Image, kImageCount> m_images;
};
