#include "ui/export/ExportParameterDisplay.h"

#include "session/parameters/ExportParameter.h"

namespace Tavrel
{
ExportParameterDisplay::ExportParameterDisplay(int captionWidth, int valueWidth)
    : m_captionWidth(captionWidth),
      m_valueWidth(valueWidth)
{
}

ExportParameterDisplay::~ExportParameterDisplay()
{
    for (Row& row : m_rows)
        if (row.parameter != nullptr)
            row.parameter->unbindComponent(row.value.get());
    m_rows.clear();
}

void ExportParameterDisplay::addRow(const juce::String& caption, ExportParameter* parameter, int item)
{
    const int number = getRowCount();
    Row row;
    row.parameter = parameter;
    row.item = item;
    row.component = std::make_unique<juce::Component>();
    row.component->setSize(rowWidth(), kRowHeight);
    row.caption = std::make_unique<juce::Label>("ExportParameterDisplayCaption_" + juce::String(number), caption);
    row.caption->setBounds(0, 0, m_captionWidth, kRowHeight);
    row.value = std::make_unique<juce::Label>("ExportParameterDisplayViewer_" + juce::String(number),
                                              parameter != nullptr ? parameter->getItemText(item) : juce::String());
    row.value->setBounds(m_captionWidth + m_gap, 0, m_valueWidth, kRowHeight);
    row.component->addAndMakeVisible(*row.caption);
    row.component->addAndMakeVisible(*row.value);
    if (parameter != nullptr)
        parameter->bindComponent(row.value.get(), item);
    addAndMakeVisible(*row.component);
    m_rows.push_back(std::move(row));
    layOut();
}

bool ExportParameterDisplay::setRowVisible(ExportParameter* parameter, int item, bool visible, bool layOutNow)
{
    bool changed = false;
    for (Row& row : m_rows)
        if (row.parameter == parameter && row.item == item && row.component->isVisible() != visible)
        {
            row.component->setVisible(visible);
            changed = true;
        }
    if (layOutNow)
        layOut();
    return changed;
}

void ExportParameterDisplay::layOut()
{
    int position = 0;
    for (Row& row : m_rows)
        if (row.component->isVisible())
            row.component->setBounds(0, position++ * kRowHeight, rowWidth(), kRowHeight);
    setSize(rowWidth(), position * kRowHeight);
}
} // namespace Tavrel
