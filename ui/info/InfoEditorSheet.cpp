#include "ui/info/InfoEditorSheet.h"

#include "app/commands/CommandManager.h"
#include "app/commands/SongListActions.h"
#include "app/commands/ValueActions.h"
#include "app/host/CTVHost.h"
#include "app/songlist/TrackInfo.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/look/UiText.h"
#include "ui/widgets/LabelWithInlineEditor.h"

namespace Tavrel
{
namespace
{
constexpr const char* kDigits = "0123456789";
constexpr float kFontHeight = 15.0f;
// The look-and-feel's label styles.
constexpr int kDigitStyle = 0;
constexpr int kFieldStyle = 1;
constexpr int kCaptionStyle = 2;

void setFontKind(juce::Label& label, int kind)
{
    label.setFont(juce::Font(kFontHeight));
    if (const CTVLookAndFeel* look = CTVLookAndFeel::GetStoredInstance())
        look->setLabelFontKind(label, kind);
}

bool isDatePart(int field)
{
    return field >= TrackInfo::kYear && field <= TrackInfo::kDay;
}

bool isTimePart(int field)
{
    return field >= TrackInfo::kHour && field <= TrackInfo::kSecond;
}
} // namespace

std::unique_ptr<juce::ToggleButton> InfoEditorSheet::makeToggle(const juce::String& text)
{
    auto toggle = std::make_unique<juce::ToggleButton>(text);
    toggle->addListener(this);
    addAndMakeVisible(*toggle);
    return toggle;
}

std::unique_ptr<LabelWithInlineEditor> InfoEditorSheet::makeField(int fontKind, bool centred)
{
    auto field = std::make_unique<LabelWithInlineEditor>("InfoField", juce::String());
    setFontKind(*field, fontKind);
    if (centred)
        field->setJustificationType(juce::Justification::centred);
    field->setEditable(true, true, false);
    field->setColour(juce::Label::backgroundColourId, juce::Colours::white);
    field->setColour(juce::Label::outlineColourId, juce::Colour(0xFFA9B0B9));
    field->setColour(juce::Label::textColourId, juce::Colours::black);
    field->addListener(this);
    addAndMakeVisible(*field);
    return field;
}

std::unique_ptr<juce::Label> InfoEditorSheet::makeDigitLabel(const juce::String& text)
{
    auto label = std::make_unique<juce::Label>(juce::String(), text);
    setFontKind(*label, kDigitStyle);
    label->setJustificationType(juce::Justification::centred);
    addAndMakeVisible(*label);
    return label;
}

InfoEditorSheet::InfoEditorSheet()
    : m_scratch(std::make_unique<TrackInfo>())
{
    m_nameGroup = std::make_unique<juce::GroupComponent>("SongName", uiText("ChangeTarget_SongName"));
    addAndMakeVisible(*m_nameGroup);
    m_copyFromTitle = makeToggle(uiText("InfoEditor_CopyFromTitle"));
    m_indexCaption = std::make_unique<juce::Label>(juce::String(), uiText("InfoEditor_Index"));
    setFontKind(*m_indexCaption, kCaptionStyle);
    addAndMakeVisible(*m_indexCaption);
    m_insert = makeToggle(uiText("InfoEditor_Insert"));
    m_remove = makeToggle(uiText("InfoEditor_Remove"));
    m_separatorCaption = std::make_unique<juce::Label>(juce::String(), uiText("InfoEditor_Separator"));
    setFontKind(*m_separatorCaption, kCaptionStyle);
    addAndMakeVisible(*m_separatorCaption);
    m_separator = makeField(kFieldStyle, false);

    m_textGroup = std::make_unique<juce::GroupComponent>("TextInfo", uiText("InfoEditor_TextInfo"));
    addAndMakeVisible(*m_textGroup);
    m_titleToggle = makeToggle("TITLE");
    m_artistToggle = makeToggle("ARTIST");
    m_albumToggle = makeToggle("ALBUM");
    m_genreToggle = makeToggle("GENRE");
    m_locationToggle = makeToggle("LOCATION");
    m_dateToggle = makeToggle("REC DATE");
    m_timeToggle = makeToggle("REC TIME");
    m_title = makeField(kFieldStyle, false);
    m_artist = makeField(kFieldStyle, false);
    m_album = makeField(kFieldStyle, false);
    m_genre = makeField(kFieldStyle, false);
    m_location = makeField(kFieldStyle, false);
    m_year = makeField(kDigitStyle, true);
    m_yearMonthDash = makeDigitLabel("-");
    m_month = makeField(kDigitStyle, true);
    m_monthDayDash = makeDigitLabel("-");
    m_day = makeField(kDigitStyle, true);
    m_hour = makeField(kDigitStyle, true);
    m_hourMinuteColon = makeDigitLabel(":");
    m_minute = makeField(kDigitStyle, true);
    m_minuteSecondColon = makeDigitLabel(":");
    m_second = makeField(kDigitStyle, true);
    m_year->setInputRestrictions(4, kDigits);
    for (LabelWithInlineEditor* part : {m_month.get(), m_day.get(), m_hour.get(), m_minute.get(), m_second.get()})
        part->setInputRestrictions(2, kDigits);

    m_pictureToggle = makeToggle(uiText("ChangeTarget_AttachedPicture"));
    m_picture = std::make_unique<FileImageComponent>();
    m_picture->AddListener(this);
    addAndMakeVisible(*m_picture);
    m_cancel = std::make_unique<juce::TextButton>(uiText("Button_Cancel"));
    m_cancel->addListener(this);
    addAndMakeVisible(*m_cancel);
    m_ok = std::make_unique<juce::TextButton>(uiText("Button_Ok"));
    m_ok->addListener(this);
    addAndMakeVisible(*m_ok);

    m_bindings = {
        {m_title.get(), m_titleToggle.get(), TrackInfo::kTitle},
        {m_artist.get(), m_artistToggle.get(), TrackInfo::kArtist},
        {m_album.get(), m_albumToggle.get(), TrackInfo::kAlbum},
        {m_genre.get(), m_genreToggle.get(), TrackInfo::kGenre},
        {m_location.get(), m_locationToggle.get(), TrackInfo::kLocation},
        {m_year.get(), m_dateToggle.get(), TrackInfo::kYear},
        {m_month.get(), m_dateToggle.get(), TrackInfo::kMonth},
        {m_day.get(), m_dateToggle.get(), TrackInfo::kDay},
        {m_hour.get(), m_timeToggle.get(), TrackInfo::kHour},
        {m_minute.get(), m_timeToggle.get(), TrackInfo::kMinute},
        {m_second.get(), m_timeToggle.get(), TrackInfo::kSecond},
    };
    setSize(kWidth, kHeight);
}

InfoEditorSheet::~InfoEditorSheet()
{
    m_picture->RemoveListener(this);
}

InfoEditorSheet::FieldBinding InfoEditorSheet::getBinding(int index) const
{
    if (index < 0 || index >= getBindingCount())
        return {};
    return m_bindings[static_cast<size_t>(index)];
}

InfoEditorSheet::FieldBinding InfoEditorSheet::getBindingForField(int field) const
{
    for (const FieldBinding& binding : m_bindings)
        if (binding.field == field)
            return binding;
    return {};
}

void InfoEditorSheet::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colour(kBackgroundColour));
}

void InfoEditorSheet::resized()
{
    m_nameGroup->setBounds(16, 16, 280, 104);
    m_copyFromTitle->setBounds(24, 40, 144, 24);
    m_indexCaption->setBounds(24, 64, 88, 24);
    m_insert->setBounds(112, 64, 80, 24);
    m_remove->setBounds(192, 64, 80, 24);
    m_separatorCaption->setBounds(112, 88, 80, 24);
    m_separator->setBounds(192, 89, 88, 22);
    m_textGroup->setBounds(16, 128, 280, 200);
    m_titleToggle->setBounds(24, 152, 88, 24);
    m_artistToggle->setBounds(24, 176, 88, 24);
    m_albumToggle->setBounds(24, 200, 88, 24);
    m_genreToggle->setBounds(24, 224, 88, 24);
    m_locationToggle->setBounds(24, 248, 88, 24);
    m_dateToggle->setBounds(24, 272, 88, 24);
    m_timeToggle->setBounds(24, 296, 88, 24);
    m_title->setBounds(120, 153, 160, 22);
    m_artist->setBounds(120, 177, 160, 22);
    m_album->setBounds(120, 201, 160, 22);
    m_genre->setBounds(120, 225, 160, 22);
    m_location->setBounds(120, 249, 160, 22);
    m_year->setBounds(120, 273, 48, 22);
    m_yearMonthDash->setBounds(160, 272, 24, 24);
    m_month->setBounds(176, 273, 32, 22);
    m_monthDayDash->setBounds(200, 272, 24, 24);
    m_day->setBounds(216, 273, 32, 22);
    m_hour->setBounds(136, 297, 32, 22);
    m_hourMinuteColon->setBounds(160, 296, 24, 24);
    m_minute->setBounds(176, 297, 32, 22);
    m_minuteSecondColon->setBounds(200, 296, 24, 24);
    m_second->setBounds(216, 297, 32, 22);
    m_pictureToggle->setBounds(304, 16, 150, 24);
    m_picture->setBounds(304, 48, 160, 120);
    m_cancel->setBounds(336, 264, 104, 24);
    m_ok->setBounds(336, 296, 104, 24);
}

void InfoEditorSheet::clearField(LabelWithInlineEditor& field)
{
    field.hideEditor(true);
    field.setText({}, juce::dontSendNotification);
}

void InfoEditorSheet::sheetWillOpen()
{
    CTVHost* host = CTVHost::GetStoredInstance();
    m_songs.clear();
    if (host != nullptr)
    {
        m_songs = host->GetSelection();
        if (m_songs.isEmpty())
        {
            host->SelectRange(host->GetTrackCount(), 0, 0);
            m_songs = host->GetSelection();
        }
    }

    for (juce::ToggleButton* toggle : {m_copyFromTitle.get(), m_insert.get(), m_remove.get()})
        toggle->setToggleState(false, juce::dontSendNotification);
    for (const FieldBinding& binding : m_bindings)
    {
        clearField(*binding.editor);
        binding.toggle->setToggleState(false, juce::dontSendNotification);
    }
    m_pictureToggle->setToggleState(false, juce::dontSendNotification);

    juce::String picture;
    bool picturesDiffer = false;
    if (host != nullptr && !m_songs.isEmpty())
    {
        const TrackInfo* first = host->GetTrack(m_songs[0]);
        if (first != nullptr)
        {
            for (const FieldBinding& binding : m_bindings)
                binding.editor->setText(first->getTextField(binding.field), juce::dontSendNotification);
            picture = first->getPicturePath();
        }
        bool dateDiffers = false;
        bool timeDiffers = false;
        for (int i = 1; i < m_songs.size(); ++i)
        {
            const TrackInfo* song = host->GetTrack(m_songs[i]);
            if (song == nullptr)
                continue;
            for (const FieldBinding& binding : m_bindings)
            {
                if (binding.editor->getText() == song->getTextField(binding.field))
                    continue;
                binding.editor->setText({}, juce::dontSendNotification);
                dateDiffers = dateDiffers || isDatePart(binding.field);
                timeDiffers = timeDiffers || isTimePart(binding.field);
            }
            if (!picturesDiffer && song->getPicturePath() != picture)
            {
                picture.clear();
                picturesDiffer = true;
            }
        }
        for (const FieldBinding& binding : m_bindings)
            if ((dateDiffers && isDatePart(binding.field)) || (timeDiffers && isTimePart(binding.field)))
                clearField(*binding.editor);
    }

    const juce::File pictureFile = juce::File::isAbsolutePath(picture) ? juce::File(picture) : juce::File();
    m_picture->setImageFile(pictureFile, false);
    if (picturesDiffer)
        m_picture->setMessage(uiText("Other_MultiplePicture"), true);
    else if (pictureFile == juce::File())
        m_picture->setMessage(uiText("Other_NoPicture"), false);
    m_pictureToggle->setEnabled(!picturesDiffer);

    m_ok->addShortcut(juce::KeyPress('i', juce::ModifierKeys::commandModifier | juce::ModifierKeys::shiftModifier, 0));
    m_cancel->addShortcut(juce::KeyPress(juce::KeyPress::escapeKey));
}

void InfoEditorSheet::sheetWillClose()
{
    m_ok->clearShortcuts();
    m_cancel->clearShortcuts();
}

void InfoEditorSheet::labelTextChanged(juce::Label* label)
{
    for (const FieldBinding& binding : m_bindings)
    {
        if (binding.editor != label)
            continue;
        // The song model normalises the text (date and time parts become
        // its digits); the field shows what will be written.
        m_scratch->setTextField(label->getText(), binding.field, false);
        label->setText(m_scratch->getTextField(binding.field), juce::dontSendNotification);
        binding.toggle->setToggleState(true, juce::dontSendNotification);
        return;
    }
    if (label == m_separator.get())
    {
        const juce::String withoutDigits = label->getText().removeCharacters(kDigits);
        m_separator->hideEditor(true);
        m_separator->setText(withoutDigits, juce::dontSendNotification);
    }
}

void InfoEditorSheet::buttonClicked(juce::Button* button)
{
    if (button == m_insert.get())
        m_remove->setToggleState(false, juce::dontSendNotification);
    else if (button == m_remove.get())
        m_insert->setToggleState(false, juce::dontSendNotification);
    else if (button == m_ok.get())
    {
        applyEdit();
        close();
    }
    else if (button == m_cancel.get())
        close();
}

void InfoEditorSheet::imageFileChanged(FileImageComponent* source)
{
    if (source != m_picture.get())
        return;
    m_pictureToggle->setEnabled(true);
    m_pictureToggle->setToggleState(true, juce::dontSendNotification);
}

juce::String InfoEditorSheet::applyIndexOptions(const juce::String& text, bool remove, bool insert,
                                                const juce::String& separator, int position, int count)
{
    juce::String result = text;
    if (remove)
    {
        int digits = 0;
        while (digits < result.length() && result[digits] >= '0' && result[digits] <= '9')
            ++digits;
        if (separator.isEmpty())
            result = result.substring(digits);
        else if (result.substring(digits).startsWith(separator))
            result = result.substring(digits + separator.length());
    }
    else if (insert)
    {
        const int width = juce::String(count).length();
        result = juce::String(position + 1).paddedLeft('0', width) + separator + result;
    }
    return result;
}

void InfoEditorSheet::applyEdit()
{
    CTVHost* host = CTVHost::GetStoredInstance();
    CommandManager* commands = CommandManager::GetStoredInstance();
    if (host == nullptr || commands == nullptr || m_songs.isEmpty())
        return;

    juce::Array<int> rows;
    for (int i = 0; i < m_songs.size(); ++i)
        rows.add(m_songs[i]);

    // The selection step opens the undo step; every later action joins it.
    // Should it be refused, nothing else is done: the later actions would
    // otherwise join whatever step came before.
    if (!commands->performUndoable(new SelectionRetriever(host, rows), true, uiText("Action_EditInfo")))
        return;
    auto perform = [commands](juce::UndoableAction* action) { commands->performUndoable(action, false, {}); };

    for (const FieldBinding& binding : m_bindings)
    {
        if (!binding.toggle->getToggleState())
            continue;
        for (const int row : rows)
            perform(new CTVActionRename(*host, row, binding.field, binding.editor->getText(), false));
    }

    const bool copyTitle = m_copyFromTitle->getToggleState();
    const bool remove = m_remove->getToggleState();
    const bool insert = m_insert->getToggleState();
    const juce::String separator = m_separator->getText();
    for (int position = 0; position < rows.size(); ++position)
    {
        const TrackInfo* song = host->GetTrack(rows[position]);
        if (song == nullptr)
            continue;
        const juce::String current = song->getTextField(TrackInfo::kSongName);
        const juce::String start = copyTitle ? song->getTextField(TrackInfo::kTitle) : current;
        const juce::String name = applyIndexOptions(start, remove, insert, separator, position, rows.size());
        if (name != current)
            perform(new CTVActionRename(*host, rows[position], TrackInfo::kSongName, name, true));
    }

    if (m_pictureToggle->getToggleState())
    {
        const juce::String picture = m_picture->getImageFile();
        for (const int row : rows)
            perform(new ChangePictureAction(*host, row, picture));
    }
}
} // namespace Tavrel
