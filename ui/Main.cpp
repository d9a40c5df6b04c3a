// Process entry of Quillmark.
#include "ui/app/CTVApp.h"

#include <clocale>

namespace
{
juce::JUCEApplicationBase* createApplication()
{
    return new CTVApp();
}
} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_CTYPE, "");
    juce::JUCEApplicationBase::createInstance = &createApplication;
    return juce::JUCEApplicationBase::main(argc, const_cast<const char**>(argv));
}
