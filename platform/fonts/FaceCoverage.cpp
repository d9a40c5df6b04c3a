#include "platform/fonts/FaceCoverage.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

namespace qm::platform
{
namespace
{
std::string Folded(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// The character set of each family asked for; null for a family that is not
// installed. The sets live as long as the process.
class CoverageCache
{
public:
    static CoverageCache& Instance()
    {
        static CoverageCache cache;
        return cache;
    }

    // Under the cache's lock: the set of the family, looked up once.
    template <typename Use>
    bool With(const std::string& family, Use use)
    {
        const std::lock_guard lock(m_lock);
        const std::string key = Folded(family);
        auto found = m_sets.find(key);
        if (found == m_sets.end())
            found = m_sets.emplace(key, Lookup(family)).first;
        return use(found->second);
    }

private:
    // The set of an installed face of the family: the fonts of the family as
    // the configuration lists them, their sets merged (every style of a
    // family covers the same characters in practice).
    static FcCharSet* Lookup(const std::string& family)
    {
        if (FcInit() == FcFalse)
            return nullptr;
        FcPattern* pattern = FcPatternCreate();
        if (pattern == nullptr)
            return nullptr;
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_CHARSET, nullptr);
        FcFontSet* fonts = objects != nullptr ? FcFontList(nullptr, pattern, objects) : nullptr;
        FcCharSet* merged = nullptr;
        for (int i = 0; fonts != nullptr && i < fonts->nfont; ++i)
        {
            FcCharSet* set = nullptr;
            if (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &set) != FcResultMatch || set == nullptr)
                continue;
            if (merged == nullptr)
                merged = FcCharSetCopy(set);
            else
            {
                FcCharSet* both = FcCharSetUnion(merged, set);
                FcCharSetDestroy(merged);
                merged = both;
            }
        }
        if (fonts != nullptr)
            FcFontSetDestroy(fonts);
        if (objects != nullptr)
            FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
        return merged;
    }

    std::mutex m_lock;
    std::map<std::string, FcCharSet*> m_sets;
};
} // namespace

bool faceCoversText(const std::string& family, std::u32string_view text)
{
    return CoverageCache::Instance().With(family, [&](FcCharSet* set) {
        if (set == nullptr)
            return false;
        for (const char32_t c : text)
            if (c >= 0x20 && FcCharSetHasChar(set, static_cast<FcChar32>(c)) == FcFalse)
                return false;
        return true;
    });
}

bool isFaceInstalled(const std::string& family)
{
    return CoverageCache::Instance().With(family, [](FcCharSet* set) { return set != nullptr; });
}
} // namespace qm::platform
