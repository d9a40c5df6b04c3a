#pragma once

#include "ui/picture/FileImageComponent.h"
#include "ui/windows/CBfcSheet.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

class LabelWithInlineEditor;

namespace Tavrel
{
class TrackInfo;

// The sheet in which the user edits the information of the selected songs in
// one go: their song names (copied from the title, a leading index inserted
// or removed), title, artist, album, genre, location, recording date and
// time, and the attached picture. Opening shows the values the songs share;
// an item is written only when its check box is ticked. OK commits the whole
// edit as one undo step ("Action_EditInfo"); Cancel changes nothing.
// Message thread.
class InfoEditorSheet : public CBfcSheet,
                        public FileImageComponentListener,
                        public juce::Label::Listener,
                        public juce::Button::Listener
{
public:
    // A field of the sheet, the check box that says it is written, and the
    // song text field it writes.
    struct FieldBinding
    {
        LabelWithInlineEditor* editor = nullptr;
        juce::ToggleButton* toggle = nullptr;
        int field = -1;
    };

    static constexpr int kWidth = 480;
    static constexpr int kHeight = 344;
    static constexpr juce::uint32 kBackgroundColour = 0xBFFFFFFF;

    InfoEditorSheet();
    ~InfoEditorSheet() override;

    // The binding at the index, or an empty one outside the list.
    FieldBinding getBinding(int index) const;
    int getBindingCount() const { return static_cast<int>(m_bindings.size()); }
    // The binding whose song text field is `field`.
    FieldBinding getBindingForField(int field) const;

    LabelWithInlineEditor& getSeparatorField() { return *m_separator; }
    juce::ToggleButton& getCopyFromTitleToggle() { return *m_copyFromTitle; }
    juce::ToggleButton& getInsertToggle() { return *m_insert; }
    juce::ToggleButton& getRemoveToggle() { return *m_remove; }
    juce::ToggleButton& getPictureToggle() { return *m_pictureToggle; }
    FileImageComponent& getPictureView() { return *m_picture; }
    juce::TextButton& getOkButton() { return *m_ok; }
    juce::TextButton& getCancelButton() { return *m_cancel; }
    const juce::SparseSet<int>& getEditedSongs() const { return m_songs; }

    // Commits the edit as one undo step; OK calls it.
    void applyEdit();

    // The song name that the index options make of a text: position is the
    // song's place among the edited songs (0 first), count their number.
    static juce::String applyIndexOptions(const juce::String& text, bool remove, bool insert,
                                          const juce::String& separator, int position, int count);

    void paint(juce::Graphics& g) override;
    void resized() override;

    void labelTextChanged(juce::Label* label) override;
    void buttonClicked(juce::Button* button) override;
    void imageFileChanged(FileImageComponent* source) override;

protected:
    void sheetWillOpen() override;
    void sheetWillClose() override;

private:
    std::unique_ptr<juce::ToggleButton> makeToggle(const juce::String& text);
    std::unique_ptr<LabelWithInlineEditor> makeField(int fontKind, bool centred);
    std::unique_ptr<juce::Label> makeDigitLabel(const juce::String& text);
    static void clearField(LabelWithInlineEditor& field);

    std::vector<FieldBinding> m_bindings;
    std::unique_ptr<TrackInfo> m_scratch;
    juce::SparseSet<int> m_songs;

    std::unique_ptr<juce::GroupComponent> m_nameGroup;
    std::unique_ptr<juce::ToggleButton> m_copyFromTitle;
    std::unique_ptr<juce::Label> m_indexCaption;
    std::unique_ptr<juce::ToggleButton> m_insert;
    std::unique_ptr<juce::ToggleButton> m_remove;
    std::unique_ptr<juce::Label> m_separatorCaption;
    std::unique_ptr<LabelWithInlineEditor> m_separator;
    std::unique_ptr<juce::GroupComponent> m_textGroup;
    std::unique_ptr<juce::ToggleButton> m_titleToggle;
    std::unique_ptr<juce::ToggleButton> m_artistToggle;
    std::unique_ptr<juce::ToggleButton> m_albumToggle;
    std::unique_ptr<juce::ToggleButton> m_genreToggle;
    std::unique_ptr<juce::ToggleButton> m_locationToggle;
    std::unique_ptr<juce::ToggleButton> m_dateToggle;
    std::unique_ptr<juce::ToggleButton> m_timeToggle;
    std::unique_ptr<LabelWithInlineEditor> m_title;
    std::unique_ptr<LabelWithInlineEditor> m_artist;
    std::unique_ptr<LabelWithInlineEditor> m_album;
    std::unique_ptr<LabelWithInlineEditor> m_genre;
    std::unique_ptr<LabelWithInlineEditor> m_location;
    std::unique_ptr<LabelWithInlineEditor> m_year;
    std::unique_ptr<juce::Label> m_yearMonthDash;
    std::unique_ptr<LabelWithInlineEditor> m_month;
    std::unique_ptr<juce::Label> m_monthDayDash;
    std::unique_ptr<LabelWithInlineEditor> m_day;
    std::unique_ptr<LabelWithInlineEditor> m_hour;
    std::unique_ptr<juce::Label> m_hourMinuteColon;
    std::unique_ptr<LabelWithInlineEditor> m_minute;
    std::unique_ptr<juce::Label> m_minuteSecondColon;
    std::unique_ptr<LabelWithInlineEditor> m_second;
    std::unique_ptr<juce::ToggleButton> m_pictureToggle;
    std::unique_ptr<FileImageComponent> m_picture;
    std::unique_ptr<juce::TextButton> m_cancel;
    std::unique_ptr<juce::TextButton> m_ok;
};
} // namespace Tavrel
