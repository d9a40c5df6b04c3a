// Build-time tool: draws the user-interface images and writes them as PNG files.
//
//   qm_image_generator <output folder> <name>...
//
// The names are the build's list of images in image-number order; the tool refuses
// to run when they differ from its own table, so the two lists cannot drift apart.
// Every file is read back and checked before the tool reports success.
#include "resources/images/ImageTable.h"

#include <juce_core/juce_core.h>
#include <juce_graphics/juce_graphics.h>

#include <cstdio>

namespace
{
bool fail(const juce::String& message)
{
    std::fprintf(stderr, "qm_image_generator: %s\n", message.toRawUTF8());
    return false;
}

bool writePng(const juce::Image& image, const juce::File& file)
{
    const auto partial = file.getSiblingFile(file.getFileName() + ".partial");
    partial.deleteFile();
    {
        juce::FileOutputStream out(partial);
        if (!out.openedOk())
            return fail("cannot create " + partial.getFullPathName());
        juce::PNGImageFormat png;
        if (!png.writeImageToStream(image, out))
            return fail("cannot encode " + file.getFileName());
        out.flush();
        if (out.getStatus().failed())
            return fail("cannot write " + partial.getFullPathName() + ": " + out.getStatus().getErrorMessage());
    }
    if (!partial.moveFileTo(file))
        return fail("cannot replace " + file.getFullPathName());
    return true;
}

// Reads the written file back: it must decode to the table's size, and every frame
// must have been drawn (a painter that ignored its frame leaves it empty).
bool verify(const qm::images::ImageSpec& spec, const juce::File& file)
{
    const auto image = juce::ImageFileFormat::loadFrom(file);
    if (!image.isValid())
        return fail(file.getFileName() + " does not decode");
    if (image.getWidth() != spec.width || image.getHeight() != spec.frameHeight * spec.frames)
        return fail(file.getFileName() + " has the wrong size");
    // A cleared image is transparent black, or opaque black without an alpha channel.
    const juce::uint32 blank = spec.opaque ? 0xFF000000u : 0u;
    for (int frame = 0; frame < spec.frames; ++frame)
    {
        bool drawn = false;
        for (int y = frame * spec.frameHeight; y < (frame + 1) * spec.frameHeight && !drawn; ++y)
            for (int x = 0; x < spec.width && !drawn; ++x)
                drawn = image.getPixelAt(x, y).getARGB() != blank;
        if (!drawn)
            return fail(file.getFileName() + ": frame " + juce::String(frame) + " is empty");
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        fail("usage: qm_image_generator <output folder> <name>...");
        return 2;
    }
    const juce::File folder(juce::File::getCurrentWorkingDirectory().getChildFile(juce::String::fromUTF8(argv[1])));
    const auto& table = qm::images::imageTable();

    if ((size_t)(argc - 2) != table.size())
    {
        fail("the build lists " + juce::String(argc - 2) + " images, the tool draws " +
             juce::String((int)table.size()));
        return 1;
    }
    for (size_t i = 0; i < table.size(); ++i)
        if (juce::String::fromUTF8(argv[i + 2]) != table[i].name)
        {
            fail("image " + juce::String((int)i) + " is " + table[i].name + " here but " +
                 juce::String::fromUTF8(argv[i + 2]) + " in the build");
            return 1;
        }

    if (!folder.createDirectory())
    {
        fail("cannot create " + folder.getFullPathName());
        return 1;
    }
    for (const auto& spec : table)
    {
        const auto file = folder.getChildFile(juce::String(spec.name) + ".png");
        if (!writePng(qm::images::renderImage(spec), file) || !verify(spec, file))
            return 1;
    }
    return 0;
}
