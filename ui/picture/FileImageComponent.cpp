#include "ui/picture/FileImageComponent.h"

#include "app/core/TextFormatting.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/look/ProgramImages.h"
#include "ui/look/UiText.h"
#include "ui/picture/PictureDecoding.h"
#include "ui/widgets/WorkerThreadStop.h"
#include "ui/windows/DialogManager.h"

#include <cmath>

namespace Tavrel
{
namespace
{
void setButtonImages(juce::ImageButton& button, const juce::Image& image)
{
    // The button keeps its size and scales the picture into it, keeping its
    // proportions.
    button.setImages(false, true, true, image, 1.0f, juce::Colours::transparentBlack, image, 1.0f,
                     juce::Colours::white.withAlpha(0.15f), image, 1.0f, juce::Colours::black.withAlpha(0.15f), 0.0f);
}

bool hasAcceptedExtension(const juce::File& file)
{
    const juce::String extension = file.getFileExtension().fromFirstOccurrenceOf(".", false, false);
    if (extension.isEmpty())
        return false;
    for (const juce::String& accepted : getExtensionsForFileType(true))
        if (extension.equalsIgnoreCase(accepted))
            return true;
    return false;
}
} // namespace

FileImageComponent::FileImageComponent()
    : juce::Thread("image loading thread")
{
    m_placeholder = loadProgramImage("NoPicture");

    m_pictureButton.setBounds(0, 0, getWidth(), getHeight());
    m_pictureButton.addListener(this);
    m_pictureButton.addMouseListener(this, false);
    m_pictureButton.setWantsKeyboardFocus(false);
    addAndMakeVisible(m_pictureButton);

    m_placeholderButton.setBounds(0, 0, getWidth(), getHeight());
    m_placeholderButton.addListener(this);
    setButtonImages(m_placeholderButton, m_placeholder);
    m_placeholderButton.setWantsKeyboardFocus(false);
    addAndMakeVisible(m_placeholderButton);

    m_removeButton = std::make_unique<SimpleImageButton>(loadProgramImage("ButtonRemovePicture"), 3, 1, 0, 0, 1.0f);
    m_removeButton->addListener(this);
    m_removeButton->addMouseListener(this, false);
    m_removeButton->setWantsKeyboardFocus(false);
    m_pictureButton.addChildComponent(*m_removeButton);

    m_label.setText(uiText("Other_NoPicture"), juce::dontSendNotification);
    m_label.setJustificationType(juce::Justification::centred);
    if (auto* look = CTVLookAndFeel::GetStoredInstance())
        m_label.setFont(look->getFont(1, 16.0f, juce::Font::plain));
    else
        m_label.setFont(juce::Font(16.0f));
    // Longer translations are squeezed rather than cut.
    m_label.setMinimumHorizontalScale(0.5f);
    m_label.setInterceptsMouseClicks(false, false);
    m_label.setWantsKeyboardFocus(false);
    m_label.setEnabled(false);
    addAndMakeVisible(m_label);

    setColour(kDropFrameColourId, juce::Colours::black.withAlpha(0.5f));
}

FileImageComponent::~FileImageComponent()
{
    // The loading thread reads the path and writes the shown picture: it
    // ends before anything it touches goes. It is asked to end and waited
    // for, never killed; a load in progress finishes its one file first.
    stopTimer();
    stopWorkerThread(*this, kStopLimitMs, nullptr, &m_runEnded);
    cancelPendingUpdate();
    m_pictureButton.removeMouseListener(this);
    m_removeButton->removeMouseListener(this);
}

void FileImageComponent::setImageFile(const juce::File& file, bool notify)
{
    {
        const juce::ScopedLock guard(m_lock);
        if (m_file.getFullPathName().isNotEmpty() && m_file == file)
            return;
        m_file = file;
    }
    m_pictureButton.setVisible(false);
    m_placeholderButton.setVisible(true);
    if (file.getFullPathName().isEmpty())
    {
        m_label.setText(uiText("Other_NoPicture"), juce::dontSendNotification);
        // Nothing is loaded for no file, but a picture decoded earlier must
        // not come back with the next update.
        const juce::ScopedLock guard(m_lock);
        m_shown = juce::Image();
        m_shownIsPlaceholder = false;
    }
    else
    {
        m_label.setText(uiText("Other_LoadingPicture"), juce::dontSendNotification);
        startTimer(kLoadPollMs);
    }
    m_label.setVisible(true);
    if (notify)
        notifyListeners();
}

juce::String FileImageComponent::getImageFile() const
{
    const juce::ScopedLock guard(m_lock);
    return m_file.getFullPathName();
}

void FileImageComponent::setMessage(const juce::String& text, bool showPlaceholder)
{
    m_label.setText(text, juce::dontSendNotification);
    if (showPlaceholder)
    {
        {
            const juce::ScopedLock guard(m_lock);
            m_shown = m_placeholder;
            m_shownIsPlaceholder = true;
        }
        triggerAsyncUpdate();
    }
}

bool FileImageComponent::isLoading() const
{
    return isTimerRunning() || isThreadRunning() || isUpdatePending();
}

void FileImageComponent::notifyListeners()
{
    CallListeners([this](FileImageComponentListener& listener) { listener.imageFileChanged(this); });
}

void FileImageComponent::timerCallback()
{
    // One load at a time: while one runs the timer keeps polling, so the
    // newest file is loaded once the running load has ended.
    if (isThreadRunning() || !m_runEnded.load(std::memory_order_acquire))
        return;
    stopTimer();
    m_runEnded.store(false);
    if (!startThread())
    {
        // No thread could be made: try again on the next tick.
        m_runEnded.store(true);
        startTimer(kLoadPollMs);
    }
}

void FileImageComponent::run()
{
    loadCurrentFile();
    m_runEnded.store(true, std::memory_order_release);
}

void FileImageComponent::loadCurrentFile()
{
    juce::String path;
    {
        const juce::ScopedLock guard(m_lock);
        path = m_file.getFullPathName();
    }
    // Reading and decoding run without the lock, so the message thread can
    // set another file meanwhile.
    juce::Image decoded;
    if (path.isNotEmpty() && !threadShouldExit())
        decoded = decodePictureOfFile(path).image;
    {
        const juce::ScopedLock guard(m_lock);
        // A file set during the load is loaded by the next run (the timer
        // waits for this one to end); this result must not be shown for it.
        if (m_file.getFullPathName() != path)
            return;
        m_shown = decoded;
        m_shownIsPlaceholder = false;
    }
    if (!threadShouldExit())
        triggerAsyncUpdate();
}

juce::Point<int> FileImageComponent::removeButtonCorner(int w, int h, int pw, int ph)
{
    if (pw <= 0 || ph <= 0 || w <= 0 || h <= 0)
        return {w, 0};
    if (static_cast<int64_t>(pw) * h >= static_cast<int64_t>(ph) * w)
    {
        const double top = (h - static_cast<double>(w) * ph / pw) / 2.0;
        return {w, juce::roundToInt(top)};
    }
    const double right = w - (w - static_cast<double>(h) * pw / ph) / 2.0 - 0.5;
    return {static_cast<int>(right), 0};
}

void FileImageComponent::handleAsyncUpdate()
{
    juce::Image shown;
    bool isPlaceholder = false;
    juce::String path;
    {
        const juce::ScopedLock guard(m_lock);
        shown = m_shown;
        isPlaceholder = m_shownIsPlaceholder;
        path = m_file.getFullPathName();
    }
    const bool hasPicture = shown.isValid();
    if (hasPicture)
    {
        setButtonImages(m_pictureButton, shown);
        const juce::Point<int> corner = removeButtonCorner(getWidth(), getHeight(), shown.getWidth(), shown.getHeight());
        m_removeButton->setTopLeftPosition(corner.x - m_removeButton->getWidth(), corner.y);
    }
    else
    {
        m_label.setText(uiText(path.isEmpty() ? "Other_NoPicture" : "Other_InvalidPicture"),
                        juce::dontSendNotification);
        m_removeButton->setVisible(false);
    }
    m_pictureButton.setVisible(hasPicture);
    m_placeholderButton.setVisible(!hasPicture);
    m_label.setVisible(!hasPicture || isPlaceholder);
}

void FileImageComponent::mouseEnter(const juce::MouseEvent& event)
{
    if (event.eventComponent == &m_pictureButton)
        m_removeButton->setVisible(true);
}

void FileImageComponent::mouseExit(const juce::MouseEvent& event)
{
    juce::Component* under = juce::Desktop::getInstance().getMainMouseSource().getComponentUnderMouse();
    const bool fromPicture = event.eventComponent == &m_pictureButton;
    const bool fromRemove = event.eventComponent == m_removeButton.get();
    const bool overRemove = under == m_removeButton.get();
    const bool overPicture = under == &m_pictureButton;
    if ((fromPicture && !overRemove) || (fromRemove && !overPicture))
    {
        m_removeButton->setVisible(false);
        // The picture button saw the mouse go to its child; it must also see
        // it leave, or it stays drawn as "under the mouse".
        static_cast<juce::Component&>(m_pictureButton).mouseExit(event.getEventRelativeTo(&m_pictureButton));
    }
}

void FileImageComponent::buttonClicked(juce::Button* button)
{
    if (button == &m_pictureButton || button == &m_placeholderButton)
    {
        DialogManager* dialogs = DialogManager::GetStoredInstance();
        juce::File chosen;
        if (dialogs != nullptr && dialogs->browseForFile(chosen, DialogManager::kSelectPicture))
            setImageFile(chosen, true);
    }
    else if (button == m_removeButton.get())
    {
        m_removeButton->setVisible(false);
        setImageFile(juce::File(), true);
    }
}

bool FileImageComponent::isInterestedInFileDrag(const juce::StringArray& files)
{
    if (files.size() != 1 || files[0].isEmpty() || !juce::File::isAbsolutePath(files[0]))
        return false;
    const juce::File file(files[0]);
    if (file.isDirectory() || !isEnabled())
        return false;
    for (const juce::Component* parent = getParentComponent(); parent != nullptr; parent = parent->getParentComponent())
        if (!parent->isEnabled())
            return false;
    return hasAcceptedExtension(file);
}

void FileImageComponent::fileDragEnter(const juce::StringArray&, int, int)
{
    m_dragging = true;
    repaint();
}

void FileImageComponent::fileDragExit(const juce::StringArray&)
{
    m_dragging = false;
    repaint();
}

void FileImageComponent::filesDropped(const juce::StringArray& files, int, int)
{
    m_dragging = false;
    repaint();
    setImageFile(files.isEmpty() ? juce::File() : juce::File(files[0]), true);
    if (juce::Component* top = getTopLevelComponent())
        top->toFront(true);
}

void FileImageComponent::paintOverChildren(juce::Graphics& g)
{
    if (!m_dragging)
        return;
    g.setColour(findColour(kDropFrameColourId));
    g.drawRect(getLocalBounds(), 2);
}

void FileImageComponent::resized()
{
    m_pictureButton.setSize(getWidth(), getHeight());
    m_placeholderButton.setSize(getWidth(), getHeight());
    m_label.setBounds(0, (getHeight() - 20) / 2, getWidth(), 20);
}

void FileImageComponent::colourChanged()
{
    m_label.setColour(juce::Label::textColourId, findColour(juce::Label::textColourId));
    repaint();
}
} // namespace Tavrel
