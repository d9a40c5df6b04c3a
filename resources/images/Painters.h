// Frame painters of the user-interface images, one per image (see ImageTable.h for
// the signature). Buttons are in ButtonArt.cpp, meters and small indicators in
// MeterArt.cpp, backgrounds and pictures in PanelArt.cpp.
#pragma once

#include <juce_graphics/juce_graphics.h>

namespace qm::images::paint
{
#define QM_PAINTER(name) void name(juce::Graphics& g, int frame, int width, int height)

// Song-list command buttons: frames normal, disabled, pressed.
QM_PAINTER(buttonAdd);
QM_PAINTER(buttonRemove);
QM_PAINTER(buttonCombine);
QM_PAINTER(buttonDivide);
QM_PAINTER(buttonLink);
QM_PAINTER(buttonAddMark);
QM_PAINTER(buttonRemoveMark);
QM_PAINTER(markerWindowClosed);
QM_PAINTER(markerWindowOpened);
QM_PAINTER(buttonExportFront);
QM_PAINTER(buttonBurnDiscFront);
QM_PAINTER(infoPageButtonPlay);
QM_PAINTER(infoPageButtonInfo);
QM_PAINTER(infoPageButtonPicture);
// Single faces.
QM_PAINTER(buttonGenericDown);
QM_PAINTER(buttonGenericLight);
// Fade kind buttons: one frame per kind (none, linear, quadratic, mixed).
QM_PAINTER(buttonFadeIn);
QM_PAINTER(buttonFadeOut);
// Remove-picture button: frames normal, over, pressed.
QM_PAINTER(buttonRemovePicture);
// Transport buttons: frames off, on, off pressed, on pressed, disabled.
QM_PAINTER(buttonRew);
QM_PAINTER(buttonPlay);
QM_PAINTER(buttonFF);
QM_PAINTER(buttonFromTo);
QM_PAINTER(buttonTransport);
// Matrix buttons: one column per state; rows normal, pressed, disabled.
QM_PAINTER(buttonRepeat);
QM_PAINTER(buttonPlayMode);
// Export and burn buttons: frames normal, pressed.
QM_PAINTER(buttonExport);
QM_PAINTER(buttonBurnCD);
// Clip indicator button: frames off, on, off pressed, on pressed.
QM_PAINTER(buttonClip);

// Meters and indicators.
QM_PAINTER(levelMeterClip);
QM_PAINTER(levelMeterAllOn);
QM_PAINTER(levelMeterAllOff);
QM_PAINTER(levelMeterLeftFull);
QM_PAINTER(levelMeterLeftZero);
QM_PAINTER(levelMeterRightFull);
QM_PAINTER(levelMeterRightZero);
QM_PAINTER(levelMeterScale);
QM_PAINTER(timeSliderBar);
QM_PAINTER(timeSliderPoint);
QM_PAINTER(markOnTimeSlider);
QM_PAINTER(tinySpeaker);
QM_PAINTER(tinySpeakerInfo);
QM_PAINTER(convertingAnimation);
QM_PAINTER(jogWheel);
QM_PAINTER(jogWheelDisable);

// Backgrounds and pictures.
QM_PAINTER(layerInfoBack);
QM_PAINTER(layerListBack);
QM_PAINTER(layerListBackTop);
QM_PAINTER(layerListBackBottom);
QM_PAINTER(layerListNumberBox);
QM_PAINTER(layerRightBack);
QM_PAINTER(layerTransportBack);
QM_PAINTER(windowBackGround);
QM_PAINTER(backGroundTop);
QM_PAINTER(backGroundCont);
QM_PAINTER(backGroundBottom);
QM_PAINTER(iconInfoBackGround);
QM_PAINTER(infoPageButtonBackground);
QM_PAINTER(noPicture);
QM_PAINTER(about);
QM_PAINTER(logo);

#undef QM_PAINTER
} // namespace qm::images::paint
