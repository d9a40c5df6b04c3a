#include "app/core/CTVResourceManager.h"

#include "app/core/CBJXResource.h"

const std::array<const char*, CTVResourceManager::kImageCount> CTVResourceManager::kImageNames = {
    "ButtonAdd",
    "ButtonCombine",
    "ButtonDivide",
    "ButtonExportFront",
    "ButtonBurnDiscFront",
    "ButtonGenericDown",
    "ButtonGenericLight",
    "ButtonFadeIn",
    "ButtonFadeOut",
    "ButtonRemove",
    "ButtonAddMark",
    "ButtonRemoveMark",
    "ButtonRemovePicture",
    "JogWheel",
    "LayerInfoBack",
    "LayerListBack",
    "LayerRightBack",
    "LayerTransportBack",
    "LevelMeterClip",
    "LevelMeterLeftFull",
    "LevelMeterLeftZero",
    "LevelMeterRightFull",
    "LevelMeterRightZero",
    "TimeSliderBar",
    "TimeSliderPoint",
    "ButtonFromTo",
    "ButtonTransport",
    "TinySpeaker",
    "JogWheelDisable",
    "TavrelAbout",
    "ConvertingAnimation",
    "LayerListNumberBox",
    "LayerListBackBottom",
    "LayerListBackTop",
    "ButtonChLink",
    "MarkerWindow_closed",
    "MarkerWindow_Opened",
    "MarkOnTimeSlider",
    "IconInfoBackGround",
    "WindowBackGround",
    "NoPicture",
    "InfoPageButtonBackground",
    "InfoPageButtonPlay",
    "InfoPageButtonInfo",
    "InfoPageButtonPicture",
    "TinySpeakerInfo",
    "ButtonRepeat",
    "ButtonPlayMode",
    "ButtonBurnCD",
    "ButtonExport",
    "ButtonClip",
    "BackGround_top",
    "BackGround_cont",
    "BackGround_bottom",
    "LevelMeterAllOn",
    "LevelMeterAllOff",
    "LevelMeter_Level",
    "ButtonRew",
    "ButtonPlay",
    "ButtonFF",
    "ButtonDivideForAU",
    "Player_BrenlowLogo",
};

CTVResourceManager::CTVResourceManager()
    : m_resource(CBJXResource::GetInstance())
{
    if (m_resource == nullptr)
        return;
    for (int i = 0; i < kImageCount; ++i)
        m_images[static_cast<std::size_t>(i)] = m_resource->LoadImage(kImageNames[static_cast<std::size_t>(i)], "png");
}

CTVResourceManager::~CTVResourceManager()
{
    for (auto& image : m_images)
        image = {};
    m_resource = nullptr;
    CBJXResource::Release();
}

juce::Image CTVResourceManager::GetImage(const char* name) const
{
    for (int i = 0; i < kImageCount; ++i)
        if (juce::String(kImageNames[static_cast<size_t>(i)]).equalsIgnoreCase(name))
            return GetImage(i);
    return {};
}

juce::Image CTVResourceManager::GetImage(int number) const
{
    if (number < 0 || number >= kImageCount)
        return {};
    return m_images[static_cast<std::size_t>(number)];
}
