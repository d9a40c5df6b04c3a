#include "resources/images/ImageTable.h"

#include "resources/images/Painters.h"

namespace qm::images
{
const std::vector<ImageSpec>& imageTable()
{
    using namespace paint;
    // name, frame width, frame height, frames, opaque, painter
    static const std::vector<ImageSpec> table{
        {"ButtonAdd", 48, 24, 3, false, buttonAdd},
        {"ButtonCombine", 48, 24, 3, false, buttonCombine},
        {"ButtonDivide", 48, 24, 3, false, buttonDivide},
        {"ButtonExportFront", 120, 36, 3, false, buttonExportFront},
        {"ButtonBurnDiscFront", 120, 36, 3, false, buttonBurnDiscFront},
        {"ButtonGenericDown", 48, 24, 1, false, buttonGenericDown},
        {"ButtonGenericLight", 48, 24, 1, false, buttonGenericLight},
        {"ButtonFadeIn", 20, 20, 4, false, buttonFadeIn},
        {"ButtonFadeOut", 20, 20, 4, false, buttonFadeOut},
        {"ButtonRemove", 48, 24, 3, false, buttonRemove},
        {"ButtonAddMark", 48, 24, 3, false, buttonAddMark},
        {"ButtonRemoveMark", 48, 24, 3, false, buttonRemoveMark},
        {"ButtonRemovePicture", 18, 18, 3, false, buttonRemovePicture},
        {"JogWheel", 64, 64, 1, false, jogWheel},
        {"LayerInfoBack", 480, 46, 1, false, layerInfoBack},
        {"LayerListBack", 540, 1, 1, true, layerListBack},
        {"LayerRightBack", 96, 233, 1, false, layerRightBack},
        {"LayerTransportBack", 699, 94, 1, true, layerTransportBack},
        {"LevelMeterClip", 47, 19, 2, false, levelMeterClip},
        {"LevelMeterLeftFull", 24, 189, 1, false, levelMeterLeftFull},
        {"LevelMeterLeftZero", 24, 189, 1, false, levelMeterLeftZero},
        {"LevelMeterRightFull", 24, 189, 1, false, levelMeterRightFull},
        {"LevelMeterRightZero", 24, 189, 1, false, levelMeterRightZero},
        {"TimeSliderBar", 632, 8, 3, true, timeSliderBar},
        {"TimeSliderPoint", 11, 14, 5, false, timeSliderPoint},
        {"ButtonFromTo", 26, 26, 5, false, buttonFromTo},
        {"ButtonTransport", 26, 26, 5, false, buttonTransport},
        {"TinySpeaker", 11, 11, 2, false, tinySpeaker},
        {"JogWheelDisable", 64, 64, 1, false, jogWheelDisable},
        {"TavrelAbout", 480, 300, 1, true, about},
        {"ConvertingAnimation", 12, 12, 6, false, convertingAnimation},
        {"LayerListNumberBox", 40, 22, 1, false, layerListNumberBox},
        {"LayerListBackBottom", 540, 30, 1, false, layerListBackBottom},
        {"LayerListBackTop", 540, 152, 1, false, layerListBackTop},
        {"ButtonChLink", 48, 24, 3, false, buttonLink},
        {"MarkerWindow_closed", 20, 20, 3, false, markerWindowClosed},
        {"MarkerWindow_Opened", 20, 20, 3, false, markerWindowOpened},
        {"MarkOnTimeSlider", 9, 8, 1, false, markOnTimeSlider},
        {"IconInfoBackGround", 24, 24, 1, false, iconInfoBackGround},
        {"WindowBackGround", 699, 1, 1, true, windowBackGround},
        {"NoPicture", 160, 120, 1, false, noPicture},
        {"InfoPageButtonBackground", 96, 24, 1, false, infoPageButtonBackground},
        {"InfoPageButtonPlay", 32, 24, 3, false, infoPageButtonPlay},
        {"InfoPageButtonInfo", 32, 24, 3, false, infoPageButtonInfo},
        {"InfoPageButtonPicture", 32, 24, 3, false, infoPageButtonPicture},
        {"TinySpeakerInfo", 11, 11, 2, false, tinySpeakerInfo},
        // Matrix buttons are one image of cells: a column per state, rows normal, pressed, disabled.
        {"ButtonRepeat", 96, 72, 1, false, buttonRepeat},
        {"ButtonPlayMode", 144, 72, 1, false, buttonPlayMode},
        {"ButtonBurnCD", 80, 22, 2, false, buttonBurnCD},
        {"ButtonExport", 80, 22, 2, false, buttonExport},
        {"ButtonClip", 47, 19, 4, false, buttonClip},
        {"BackGround_top", 699, 350, 1, true, backGroundTop},
        {"BackGround_cont", 699, 1, 1, true, backGroundCont},
        {"BackGround_bottom", 699, 16, 1, true, backGroundBottom},
        {"LevelMeterAllOn", 24, 189, 1, false, levelMeterAllOn},
        {"LevelMeterAllOff", 24, 189, 1, false, levelMeterAllOff},
        {"LevelMeter_Level", 18, 189, 1, false, levelMeterScale},
        {"ButtonRew", 26, 26, 5, false, buttonRew},
        {"ButtonPlay", 30, 30, 5, false, buttonPlay},
        {"ButtonFF", 26, 26, 5, false, buttonFF},
        {"ButtonDivideForAU", 48, 24, 3, false, buttonDivide},
        {"Player_BrenlowLogo", 76, 30, 1, false, logo},
    };
    return table;
}

juce::Image renderImage(const ImageSpec& spec)
{
    juce::Image image(spec.opaque ? juce::Image::RGB : juce::Image::ARGB, spec.width, spec.frameHeight * spec.frames,
                      true);
    juce::Graphics g(image);
    for (int frame = 0; frame < spec.frames; ++frame)
    {
        juce::Graphics::ScopedSaveState state(g);
        g.reduceClipRegion(0, frame * spec.frameHeight, spec.width, spec.frameHeight);
        g.setOrigin(0, frame * spec.frameHeight);
        spec.paint(g, frame, spec.width, spec.frameHeight);
    }
    return image;
}
} // namespace qm::images
