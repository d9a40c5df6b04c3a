#include "resources/EmbeddedResources.h"

#include <vector>

#if QM_HAVE_EMBEDDED_DATA
#include "QuillmarkResourceData.h"
#endif

namespace qm::resources
{
std::span<const EmbeddedFile> EmbeddedFiles()
{
#if QM_HAVE_EMBEDDED_DATA
    static const std::vector<EmbeddedFile> files = [] {
        namespace data = QuillmarkResourceData;
        std::vector<EmbeddedFile> list;
        for (int i = 0; i < data::namedResourceListSize; ++i)
        {
            int size = 0;
            const char* bytes = data::getNamedResource(data::namedResourceList[i], size);
            if (bytes != nullptr)
                list.push_back({data::originalFilenames[i], bytes, size});
        }
        return list;
    }();
    return files;
#else
    return {};
#endif
}
} // namespace qm::resources
