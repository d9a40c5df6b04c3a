#pragma once

namespace juce
{
class Component;
}

namespace Tavrel
{
class ExportParameter;

// Hears of the changes of a parameter set.
class ExportParameterListener
{
public:
    virtual ~ExportParameterListener() = default;

    // An item took a new value.
    virtual void exportParameterChanged(ExportParameter* parameter, int item)
    {
        (void)parameter;
        (void)item;
    }
    // A bound control was changed by the parameter set (its shown value or
    // its enabled state), not by the user.
    virtual void exportParameterComponentChanged(ExportParameter* parameter, int item, juce::Component* component)
    {
        (void)parameter;
        (void)item;
        (void)component;
    }
};
} // namespace Tavrel
