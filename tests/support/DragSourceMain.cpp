// A drag source for GUI tests: another X client that drags files onto the
// program's windows as a file manager would. It shows a 100 x 100 window named
// "QmDragSource" at the position given and, when pressed there, starts an
// external drag of the files named on its command line. It quits when the
// drag ends, or after a minute.
//
//   qm_test_drag_source X Y FILE...

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
class SourceWindow final : public juce::Component, private juce::Timer
{
public:
    explicit SourceWindow(const juce::StringArray& files)
        : juce::Component("QmDragSource"),
          m_files(files)
    {
        setOpaque(true);
        startTimer(60000);
    }

    void paint(juce::Graphics& g) override { g.fillAll(juce::Colours::orange); }

    void mouseDown(const juce::MouseEvent&) override
    {
        if (m_started)
            return;
        m_started = juce::DragAndDropContainer::performExternalDragDropOfFiles(m_files, false, this, [] {
            juce::JUCEApplicationBase::quit();
        });
        if (!m_started)
            juce::JUCEApplicationBase::quit();
    }

private:
    void timerCallback() override { juce::JUCEApplicationBase::quit(); }

    juce::StringArray m_files;
    bool m_started = false;
};

class DragSourceApplication final : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return "QmDragSource"; }
    const juce::String getApplicationVersion() override { return "1"; }
    bool moreThanOneInstanceAllowed() override { return true; }

    void initialise(const juce::String&) override
    {
        juce::StringArray arguments = getCommandLineParameterArray();
        if (arguments.size() < 3)
        {
            setApplicationReturnValue(2);
            quit();
            return;
        }
        const int x = arguments[0].getIntValue();
        const int y = arguments[1].getIntValue();
        arguments.removeRange(0, 2);
        m_window = std::make_unique<SourceWindow>(arguments);
        m_window->setBounds(x, y, 100, 100);
        m_window->addToDesktop(0);
        m_window->setVisible(true);
    }
    void shutdown() override { m_window.reset(); }

private:
    std::unique_ptr<SourceWindow> m_window;
};
} // namespace

START_JUCE_APPLICATION(DragSourceApplication)
