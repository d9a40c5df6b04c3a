#include "platform/burn/DiscRecorderRegistry.h"

#include <algorithm>
#include <filesystem>

#include "platform/burn/LibburnRecorders.h"
#include "platform/text/PathListVariable.h"

namespace qm::platform
{
namespace
{
std::string TargetName(const std::string& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        absolute = path;
    return absolute.lexically_normal().string();
}
} // namespace

DiscRecorderRegistry& DiscRecorderRegistry::Instance()
{
    static DiscRecorderRegistry registry;
    return registry;
}

bool DiscRecorderRegistry::Start()
{
    std::lock_guard lock(m_lock);
    if (m_starts++ == 0)
        m_libraryStarted = libburn::Start();
    return true;
}

void DiscRecorderRegistry::Shutdown()
{
    std::lock_guard lock(m_lock);
    if (m_starts == 0)
        return;
    if (--m_starts == 0 && m_libraryStarted)
    {
        libburn::Stop();
        m_libraryStarted = false;
    }
}

std::vector<std::pair<std::string, ImageRecorderOptions>> DiscRecorderRegistry::ImageTargetsLocked() const
{
    auto targets = m_targets;
    for (const std::string& item : PathListFromEnvironment(kImagesVariable))
    {
        if (!ImageDiscRecorder::IsUsableName(item))
            continue;
        const std::string name = TargetName(item);
        const bool known =
            std::any_of(targets.begin(), targets.end(), [&name](const auto& target) { return target.first == name; });
        if (!known)
            targets.emplace_back(name, ImageRecorderOptions{});
    }
    return targets;
}

std::vector<DiscRecorderInfo> DiscRecorderRegistry::ScanRecorders()
{
    std::lock_guard lock(m_lock);
    std::vector<DiscRecorderInfo> recorders;
    if (m_libraryStarted)
        recorders = libburn::Scan();
    for (const auto& [name, options] : ImageTargetsLocked())
    {
        DiscRecorderInfo info;
        info.name = name;
        info.vendor = "Quillmark";
        info.product = "Disc image";
        info.revision = "1.0";
        info.mediaFlags[DiscRecorderInfo::kWritesCdR] = 1;
        info.mediaFlags[DiscRecorderInfo::kWritesCdRw] = 1;
        recorders.push_back(std::move(info));
    }
    return recorders;
}

std::unique_ptr<DiscRecorder> DiscRecorderRegistry::OpenRecorder(const std::string& name)
{
    std::lock_guard lock(m_lock);
    for (const auto& [target, options] : ImageTargetsLocked())
        if (target == name)
            return std::make_unique<ImageDiscRecorder>(target, options);
    if (m_libraryStarted)
        return libburn::Open(name);
    return nullptr;
}

bool DiscRecorderRegistry::RegisterImageTarget(const std::string& path, const ImageRecorderOptions& options,
                                               std::string* name)
{
    if (path.empty() || !ImageDiscRecorder::IsUsableName(path))
        return false;
    const std::string target = TargetName(path);
    std::lock_guard lock(m_lock);
    auto it = std::find_if(m_targets.begin(), m_targets.end(),
                           [&target](const auto& entry) { return entry.first == target; });
    if (it == m_targets.end())
        m_targets.emplace_back(target, options);
    else
        it->second = options;
    if (name != nullptr)
        *name = target;
    return true;
}

bool DiscRecorderRegistry::UnregisterImageTarget(const std::string& name)
{
    std::lock_guard lock(m_lock);
    auto it =
        std::find_if(m_targets.begin(), m_targets.end(), [&name](const auto& entry) { return entry.first == name; });
    if (it == m_targets.end())
        return false;
    m_targets.erase(it);
    return true;
}
} // namespace qm::platform
