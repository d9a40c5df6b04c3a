#include "ui/picture/PictureDecoding.h"

#include "app/core/WideText.h"
#include "engine/audiofile/tags/CImageFileRead.h"

#include <memory>
#include <mutex>

namespace Tavrel
{
namespace
{
std::mutex g_hookLock;
std::function<void(const juce::String&)> g_hook;
} // namespace

void setPictureReaderHookForTests(std::function<void(const juce::String&)> hook)
{
    std::lock_guard<std::mutex> guard(g_hookLock);
    g_hook = std::move(hook);
}

DecodedPicture decodePictureOfFile(const juce::String& path)
{
    DecodedPicture result;
    if (path.isEmpty())
        return result;
    std::function<void(const juce::String&)> hook;
    {
        std::lock_guard<std::mutex> guard(g_hookLock);
        hook = g_hook;
    }
    if (hook)
        hook(path);
    const std::u16string wide = toEngineText(path);
    const std::unique_ptr<CImageFileReadBase> reader(CreateImageFileRead(wide.c_str()));
    if (reader == nullptr || reader->Load() == 0 || reader->GetData() == nullptr)
        return result;
    // The stream reads the reader's bytes in place; the reader outlives it.
    juce::MemoryInputStream stream(reader->GetData(), reader->GetLoadedSize(), false);
    juce::ImageFileFormat* format = juce::ImageFileFormat::findImageFormatForStream(stream);
    if (format == nullptr)
        return result;
    stream.setPosition(0);
    result.image = format->decodeImage(stream);
    if (result.image.isValid())
    {
        result.format = format;
        result.dataSize = static_cast<std::int64_t>(reader->GetLoadedSize());
    }
    return result;
}
} // namespace Tavrel
