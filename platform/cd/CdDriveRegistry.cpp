#include "platform/cd/CdDriveRegistry.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include <cdio/cdio.h>

#include "platform/cd/CdDeviceDrive.h"
#include "platform/cd/CdImageDrive.h"
#include "platform/cd/CdLibcdioToc.h"
#include "platform/text/PathListVariable.h"

namespace qm::platform
{
namespace
{
constexpr const char* kCueExtension = ".cue";

bool EndsWithCue(const std::string& path)
{
    const size_t n = std::char_traits<char>::length(kCueExtension);
    if (path.size() <= n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(path[path.size() - n + i])) != kCueExtension[i])
            return false;
    return true;
}

std::string NormalPath(const std::string& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        absolute = path;
    return absolute.lexically_normal().string();
}

// The drive name of an image: its cue path, absolute and lexically normal,
// without the extension.
std::string ImageNameFromCue(const std::string& cuePath)
{
    const std::string normal = NormalPath(cuePath);
    return normal.substr(0, normal.size() - std::char_traits<char>::length(kCueExtension));
}

std::string RealPath(const std::string& path)
{
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr)
        return path;
    return resolved;
}

std::vector<std::string> ListDeviceNodes()
{
    std::vector<std::string> names;
    QuietLibcdioLog();
    char** devices = cdio_get_devices(DRIVER_LINUX);
    if (devices == nullptr)
        return names;
    for (char** device = devices; *device != nullptr; ++device)
        names.push_back(RealPath(*device));
    cdio_free_device_list(devices);
    return CdDriveRegistry::SortDeviceNames(std::move(names));
}

std::vector<std::string> ImagesFromEnvironment()
{
    std::vector<std::string> names;
    for (const std::string& item : PathListFromEnvironment(CdDriveRegistry::kImagesVariable))
        if (EndsWithCue(item))
            names.push_back(ImageNameFromCue(item));
    return names;
}
} // namespace

CdDriveRegistry& CdDriveRegistry::Instance()
{
    static CdDriveRegistry registry;
    return registry;
}

bool CdDriveRegistry::NaturalLess(const std::string& a, const std::string& b)
{
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size())
    {
        const bool digitA = std::isdigit(static_cast<unsigned char>(a[i])) != 0;
        const bool digitB = std::isdigit(static_cast<unsigned char>(b[j])) != 0;
        if (digitA && digitB)
        {
            // Compare the digit runs as numbers: skip leading zeros, then the
            // longer run is larger, then the first differing digit decides.
            size_t endA = i;
            size_t endB = j;
            while (endA < a.size() && std::isdigit(static_cast<unsigned char>(a[endA])))
                ++endA;
            while (endB < b.size() && std::isdigit(static_cast<unsigned char>(b[endB])))
                ++endB;
            size_t startA = i;
            size_t startB = j;
            while (startA + 1 < endA && a[startA] == '0')
                ++startA;
            while (startB + 1 < endB && b[startB] == '0')
                ++startB;
            if (endA - startA != endB - startB)
                return endA - startA < endB - startB;
            const int order = a.compare(startA, endA - startA, b, startB, endB - startB);
            if (order != 0)
                return order < 0;
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i == a.size();
    return a < b; // equal up to leading zeros: any fixed order
}

std::vector<std::string> CdDriveRegistry::SortDeviceNames(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end(), NaturalLess);
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::vector<CdDriveRegistry::Entry> CdDriveRegistry::ListLocked()
{
    std::vector<Entry> entries;
    for (auto& name : ListDeviceNodes())
        entries.push_back({std::move(name), false});
    auto addImage = [&entries](const std::string& name) {
        for (const auto& entry : entries)
            if (entry.name == name)
                return;
        entries.push_back({name, true});
    };
    for (const auto& name : m_images)
        addImage(name);
    for (const auto& name : ImagesFromEnvironment())
        addImage(name);
    return entries;
}

std::string CdDriveRegistry::ResolveLocked(const std::string& name, bool* isImage)
{
    if (name.empty())
        return {};
    const auto entries = ListLocked();
    auto find = [&entries, isImage](const std::string& wanted) -> std::string {
        for (const auto& entry : entries)
            if (entry.name == wanted)
            {
                *isImage = entry.isImage;
                return entry.name;
            }
        return {};
    };
    std::string found = find(name);
    if (found.empty())
        found = find(RealPath(name)); // a link to a device node, e.g. /dev/cdrom
    if (found.empty())
        found = find(NormalPath(name)); // an image named by a relative path
    return found;
}

std::vector<std::string> CdDriveRegistry::GetDriveNames()
{
    std::lock_guard lock(m_lock);
    std::vector<std::string> names;
    for (auto& entry : ListLocked())
        names.push_back(std::move(entry.name));
    return names;
}

bool CdDriveRegistry::IsDrive(const std::string& name)
{
    std::lock_guard lock(m_lock);
    bool isImage = false;
    return !ResolveLocked(name, &isImage).empty();
}

bool CdDriveRegistry::RegisterImage(const std::string& cuePath, std::string* name)
{
    if (!EndsWithCue(cuePath))
        return false;
    const std::string imageName = ImageNameFromCue(cuePath);
    std::lock_guard lock(m_lock);
    if (std::find(m_images.begin(), m_images.end(), imageName) == m_images.end())
        m_images.push_back(imageName);
    if (name != nullptr)
        *name = imageName;
    return true;
}

bool CdDriveRegistry::UnregisterImage(const std::string& name)
{
    std::lock_guard lock(m_lock);
    const auto it = std::find(m_images.begin(), m_images.end(), name);
    if (it == m_images.end())
        return false;
    m_images.erase(it);
    return true;
}

std::unique_ptr<CdDrive> CdDriveRegistry::OpenDrive(const std::string& name)
{
    std::lock_guard lock(m_lock);
    bool isImage = false;
    const std::string resolved = ResolveLocked(name, &isImage);
    if (resolved.empty())
        return nullptr;
    if (isImage)
        return std::make_unique<CdImageDrive>(resolved);
    return std::make_unique<CdDeviceDrive>(resolved);
}
} // namespace qm::platform
