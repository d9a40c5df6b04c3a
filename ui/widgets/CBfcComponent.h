#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class CBfcComponent;

// Receives the events of the program's own controls. Every operation does
// nothing by default; the mouse hooks return true when they have handled the
// event, and the control then does nothing more with it.
class CBfcComponentListener
{
public:
    virtual ~CBfcComponentListener() = default;

    // A button was clicked, pressed, released.
    virtual void clicked(CBfcComponent*) {}
    virtual void pressed(CBfcComponent*) {}
    virtual void released(CBfcComponent*) {}

    // Events of the text editor of an in-place edited label: its text changed,
    // Return or Escape was pressed in it, the user's edit was taken.
    virtual void textChanged(CBfcComponent*) {}
    virtual void returnKeyPressed(CBfcComponent*) {}
    virtual void escapeKeyPressed(CBfcComponent*) {}
    virtual void textEdited(CBfcComponent*) {}

    // The selection of a list box changed; lastRowSelected is the row the
    // user selected last.
    virtual void selectedRowsChanged(CBfcComponent*, int /*lastRowSelected*/) {}

    virtual bool mouseMoveHook(CBfcComponent*, const juce::MouseEvent&) { return false; }
    virtual bool mouseEnterHook(CBfcComponent*, const juce::MouseEvent&) { return false; }
    virtual bool mouseExitHook(CBfcComponent*, const juce::MouseEvent&) { return false; }
    virtual bool mouseDownHook(CBfcComponent*, const juce::MouseEvent&) { return false; }
    virtual bool mouseDragHook(CBfcComponent*, const juce::MouseEvent&) { return false; }
    virtual bool mouseUpHook(CBfcComponent*, const juce::MouseEvent&) { return false; }
    virtual bool mouseDoubleClickHook(CBfcComponent*, const juce::MouseEvent&) { return false; }
    virtual bool mouseWheelHook(CBfcComponent*, const juce::MouseEvent&, const juce::MouseWheelDetails&)
    {
        return false;
    }
};

// The second base of every control of the program's own (after its framework
// class): a group and an id by which a listener that serves several controls
// tells them apart, and the one listener that gets the control's events.
class CBfcComponent
{
public:
    virtual ~CBfcComponent() = default;

    int getGroup() const { return m_group; }
    void setGroup(int group) { m_group = group; }
    int getId() const { return m_id; }
    void setId(int id) { m_id = id; }
    CBfcComponentListener* getListener() const { return m_listener; }
    void setListener(CBfcComponentListener* listener) { m_listener = listener; }

private:
    int m_group = 0;
    int m_id = 0;
    CBfcComponentListener* m_listener = nullptr;
};
