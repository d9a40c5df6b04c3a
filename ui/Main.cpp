// Process entry of Quillmark.
#include "platform/instance/SingleInstance.h"
#include "ui/app/CTVApp.h"

#include <clocale>
#include <cstdio>
#include <filesystem>

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

    // One program per user: a later start hands its files to the running one.
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::error_code error;
    const std::string folder = std::filesystem::current_path(error).string();
    const qm::platform::InstanceClaim claim =
        qm::platform::claimSingleInstance(arguments, folder, &CTVApp::receiveHandOver);
    if (!claim.message.empty())
        std::fprintf(stderr, "Quillmark: %s\n", claim.message.c_str());
    if (claim.role == qm::platform::InstanceRole::HandedOver)
        return 0;
    if (claim.role == qm::platform::InstanceRole::Failed)
        return 1;

    juce::JUCEApplicationBase::createInstance = &createApplication;
    const int status = juce::JUCEApplicationBase::main(argc, const_cast<const char**>(argv));
    qm::platform::releaseSingleInstance();
    return status;
}
