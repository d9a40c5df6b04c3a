#pragma once

// The song-list panel in a window of its own, over the program's controller
// and command manager (see UiFixture).

#include <gtest/gtest.h>

#include <memory>

#include "tests/ui/UiFixture.h"
#include "ui/songlist/CTVLayerList.h"
#include "ui/songlist/CTVListItem.h"

namespace qm::test
{
class SongListFixture : public UiFixture
{
protected:
    explicit SongListFixture(const char* locale = LanguageSwitch::kEnglish)
        : UiFixture(locale)
    {
    }
    ~SongListFixture() override
    {
        if (window != nullptr)
            window->removeFromDesktop();
        panel.reset();
        window.reset();
    }
    // Shows the panel in a window; the songs should be there first.
    void ShowPanel(int height = 400)
    {
        window = std::make_unique<juce::Component>("SongListWindow");
        panel = std::make_unique<CTVLayerList>(*host);
        panel->setSize(panel->getWidth(), height);
        window->setBounds(0, 0, panel->getWidth(), height);
        window->addAndMakeVisible(*panel);
        window->addToDesktop(0);
        window->setVisible(true);
        PumpUntil([&] { return window->isShowing(); }, 5);
        PumpPosted();
    }

    CTVListBox& List() { return panel->getListBox(); }
    CTVListItem* Row(int row)
    {
        List().scrollToEnsureRowIsOnscreen(row);
        return List().getItemForRow(row);
    }
    // The centre of a label of a row, in the row's coordinates.
    juce::Point<int> LabelPoint(int row, int label, int dx = 0)
    {
        CTVListItem* item = Row(row);
        if (item == nullptr)
            return {};
        const juce::Rectangle<int> bounds = item->getLabel(label).getBounds();
        return bounds.getCentre().translated(dx, 0);
    }
    juce::SparseSet<int> Selected() { return List().getSelectedRows(); }

    // Real clicks through the X server on a row's label, with modifier keys
    // ("ctrl", "shift") held.
    void Click(int row, int label, const std::string& modifiers = {}, int dx = 0)
    {
        CTVListItem* item = Row(row);
        ASSERT_NE(item, nullptr) << "row " << row;
        ASSERT_TRUE(xinput::moveTo(*item, LabelPoint(row, label, dx)));
        if (!modifiers.empty())
        {
            ASSERT_TRUE(xinput::xdotool("keydown " + modifiers));
        }
        ASSERT_TRUE(xinput::buttonDown());
        ASSERT_TRUE(xinput::buttonUp());
        if (!modifiers.empty())
        {
            ASSERT_TRUE(xinput::xdotool("keyup " + modifiers));
        }
    }

    std::unique_ptr<CTVLayerList> panel;
};
} // namespace qm::test
