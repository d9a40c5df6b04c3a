#pragma once

#include "app/core/CBJXListenerOwner.h"
#include "ui/widgets/SimpleImageButton.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <memory>

namespace Tavrel
{
class FileImageComponent;

// Told after the user set, replaced or removed the picture file of a view.
class FileImageComponentListener
{
public:
    virtual ~FileImageComponentListener() = default;
    virtual void imageFileChanged(FileImageComponent* source) = 0;
};

// Shows the picture of one picture file (a JPEG or PNG file, or an audio file
// carrying a picture). The picture is read and decoded on the view's "image
// loading thread"; the user picks another file by clicking the view (the
// picture chooser) or by dropping one file on it, and removes the picture
// with the button shown over it while the mouse is there.
//
// Everything runs on the message thread except the loading thread, which
// takes the current path and hands back the decoded picture under the view's
// lock; the message thread picks the picture up in its asynchronous update.
// The destructor asks the loading thread to end and waits for it.
class FileImageComponent : public juce::Component,
                           public CBJXListenerOwner<FileImageComponentListener>,
                           public juce::FileDragAndDropTarget,
                           public juce::Button::Listener,
                           private juce::Timer,
                           private juce::Thread,
                           private juce::AsyncUpdater
{
public:
    // The colour id of the frame drawn while a file hovers (black at alpha 0.5).
    static constexpr int kDropFrameColourId = 0;
    static constexpr int kLoadPollMs = 100;
    // After this long a stop notes that the loading thread is still reading.
    static constexpr int kStopLimitMs = 5000;

    FileImageComponent();
    ~FileImageComponent() override;

    // Shows another picture file; an empty file shows none. The same
    // non-empty file again does nothing. With notifyListeners every listener
    // is told.
    void setImageFile(const juce::File& file, bool notifyListeners);
    juce::String getImageFile() const;
    // Sets the message; with showPlaceholder the view shows its placeholder
    // picture (the sheet's "several pictures" state).
    void setMessage(const juce::String& text, bool showPlaceholder);

    juce::Label& getMessageLabel() { return m_label; }
    juce::ImageButton& getPictureButton() { return m_pictureButton; }
    juce::ImageButton& getPlaceholderButton() { return m_placeholderButton; }
    juce::Button& getRemoveButton() { return *m_removeButton; }
    // True while a picture is being loaded or waits to be shown.
    bool isLoading() const;

    bool isInterestedInFileDrag(const juce::StringArray& files) override;
    void fileDragEnter(const juce::StringArray& files, int x, int y) override;
    void fileDragExit(const juce::StringArray& files) override;
    void filesDropped(const juce::StringArray& files, int x, int y) override;

    void buttonClicked(juce::Button* button) override;

    void mouseEnter(const juce::MouseEvent& event) override;
    void mouseExit(const juce::MouseEvent& event) override;
    void paintOverChildren(juce::Graphics& g) override;
    void resized() override;
    void colourChanged() override;

    // Where the remove button's top-right corner goes for a picture of
    // pictureWidth x pictureHeight fitted, centred and proportional, into a
    // view of width x height: {right edge, top edge}.
    static juce::Point<int> removeButtonCorner(int width, int height, int pictureWidth, int pictureHeight);

private:
    void timerCallback() override;
    void run() override;
    void loadCurrentFile();
    void handleAsyncUpdate() override;
    void notifyListeners();

    juce::File m_file;
    juce::Label m_label;
    juce::ImageButton m_pictureButton;
    juce::ImageButton m_placeholderButton;
    std::unique_ptr<SimpleImageButton> m_removeButton;
    // The picture to show: none, the decoded picture or the placeholder.
    juce::Image m_shown;
    bool m_shownIsPlaceholder = false;
    juce::Image m_placeholder;
    bool m_dragging = false;
    // Set by run as its last step; see stopWorkerThread.
    std::atomic<bool> m_runEnded{true};
    // Guards m_file and m_shown between the message thread and the loading thread.
    mutable juce::CriticalSection m_lock;
};

} // namespace Tavrel
