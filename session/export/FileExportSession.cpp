#include "session/export/FileExportSession.h"

#include <set>

#include "app/core/TextFormatting.h"
#include "app/core/WideText.h"
#include "app/host/CTVHost.h"
#include "app/songlist/TrackInfo.h"
#include "engine/audiofile/io/AudioFileWriterFactory.h"
#include "engine/audiofile/song/CPlaylistSong.h"
#include "platform/files/FileSafety.h"
#include "platform/thread/ThreadName.h"
#include "session/export/CTVConverterThread.h"

namespace Tavrel
{
namespace
{
constexpr uint64_t kSpareBytes = 10000000;
constexpr uint64_t kHeaderBytes = 2048;
constexpr uint64_t kFourGiB = 4294967296ull;
constexpr int kPollMs = 200;

} // namespace

FileExportSession::FileExportSession(const FileExportParameter& file, const CommonExportParameter& common)
    : OutputExportSessionBase(common),
      juce::Thread("File Export Session"),
      m_file(file)
{
}

FileExportSession::~FileExportSession()
{
    stopSessionThread(*this);
}

unsigned FileExportSession::getOutputSampleRate()
{
    return static_cast<unsigned>(m_file.getSampleRate());
}

bool FileExportSession::start()
{
    // 1. The destination.
    const juce::String folderText = m_file.getItemText(FileExportParameter::kDestination);
    const juce::File folder = juce::File::isAbsolutePath(folderText) ? juce::File(folderText) : juce::File();
    if (folder == juce::File() || !folder.isDirectory())
    {
        notifyError("Export_DestinationNotFound", {}, {});
        return false;
    }

    // 2. The songs.
    if (!gatherSongs("Export_FileNotFound", "Export_NoSongToExport"))
        return false;
    CTVHost* host = CTVHost::GetStoredInstance();
    if (host == nullptr)
        return false;

    // 3. Names, and clashes with the song list's files and existing files.
    const juce::String format = m_file.getFormatName();
    const juce::String extension = toJuceString(GetExportFileExtension(format.toRawUTF8()));
    const int fileType = m_file.getSelectedIndex(FileExportParameter::kFileType) == 0 ? 0 : 1;
    std::vector<ExportFileNames::Song> songs;
    for (int i = 0; i < m_songs.size(); ++i)
    {
        const TrackInfo* track = host->GetTrack(m_songs[i]);
        songs.push_back({m_songs[i], track->getTextField(TrackInfo::kSongName), track->channels});
    }
    const std::vector<SongOutputFiles> outputs = ExportFileNames::name(folder, songs, fileType, extension);

    std::vector<std::string> sources;
    std::set<juce::String> sourcesFolded;
    for (int row = 0; row < host->GetTrackCount(); ++row)
    {
        std::vector<CPlaylistFile*> files;
        host->GetTrack(row)->getSourceFiles(files);
        for (const CPlaylistFile* f : files)
        {
            const juce::String path = toJuceString(f->GetPath());
            sources.push_back(path.toStdString());
            sourcesFolded.insert(path.toLowerCase());
        }
    }
    juce::SparseSet<int> inList, existing;
    juce::Array<juce::File> replaceable;
    for (const SongOutputFiles& out : outputs)
    {
        for (const juce::File& f : out.files)
        {
            const std::string path = f.getFullPathName().toStdString();
            bool referred = sourcesFolded.count(f.getFullPathName().toLowerCase()) != 0;
            // A link into the destination names a source under another name.
            if (!referred && qm::platform::pathExists(path))
                for (const std::string& source : sources)
                    if (qm::platform::isSameFile(path, source))
                        referred = true;
            if (referred)
                inList.addRange({out.row, out.row + 1});
            else if (qm::platform::pathExists(path))
            {
                existing.addRange({out.row, out.row + 1});
                replaceable.add(f);
            }
        }
    }
    if (!inList.isEmpty())
    {
        notifyError("Export_AlreadyExistsInSonglist", inList, {});
        return false;
    }
    if (!existing.isEmpty() && !notifyWarning("Export_AlreadyExists", existing, {folder.getFullPathName()}))
        return false;

    // 4. Space and the 4 GiB limit.
    const unsigned rate = getOutputSampleRate();
    const unsigned bits = static_cast<unsigned>(m_file.getBitDepth());
    const int bitRate = m_file.getBitRate();
    // Uncompressed: a format that offers no bit rates (WAV, AIFF).
    const bool uncompressed = bitRate == 0;
    const bool withPicture = ExportFormatSupportsPicture(format.toRawUTF8());
    uint64_t total = 0;
    juce::SparseSet<int> over4GiB;
    for (const SongOutputFiles& out : outputs)
    {
        const TrackInfo* track = host->GetTrack(out.row);
        const double seconds = track->getLengthInSeconds();
        const int channelsPerFile = fileType == 0 ? 1 : 2;
        uint64_t bytes = uncompressed ? static_cast<uint64_t>(seconds * rate) * channelsPerFile * bits / 8
                                      : static_cast<uint64_t>(seconds * bitRate / 8.0);
        bytes += kHeaderBytes + (withPicture ? track->getPictureFileSize() : 0);
        total += bytes * static_cast<uint64_t>(out.files.size());
        if (bytes > kFourGiB)
            over4GiB.addRange({out.row, out.row + 1});
    }
    const int64_t free = freeSpaceOf(folder);
    if (free < 0 || static_cast<uint64_t>(free) < total + kSpareBytes)
    {
        notifyError("Export_DiskFull", {}, {formatByteSize(true, total + kSpareBytes)});
        return false;
    }
    if (!over4GiB.isEmpty())
    {
        if (uncompressed)
        {
            notifyError("Export_PCMOver4GB", over4GiB, {});
            return false;
        }
        if (!notifyWarning("Export_Over4GB", over4GiB, {}))
            return false;
    }

    // 5. The converter.
    ConverterSettings settings;
    settings.songs = m_songs;
    settings.sampleRate = rate;
    settings.outputFolder = folder;
    settings.formatName = format;
    settings.extension = extension;
    settings.fileType = fileType;
    settings.bitDepth = bits;
    settings.qualityOption = bitRate;
    settings.ditherType = getCommon().getChoiceValue(CommonExportParameter::kDitherType);
    settings.dsdFilter = getCommon().getChoiceValue(CommonExportParameter::kDsdFilter);
    settings.outputs = outputs;
    settings.replaceable = replaceable;
    auto converter = std::make_unique<CTVConverterThread>(settings);
    // The end of the conversion ends the progress loop's wait at once.
    converter->setFinishedCallback([this] { notify(); });
    setConverterThread(std::move(converter));

    // 6. Off it goes.
    notifyStarted();
    startThread();
    return true;
}

void FileExportSession::run()
{
    qm::platform::setCurrentThreadName(getThreadName().toStdString());
    bool aborted = false;
    if (!runNormalizePass(this))
        aborted = true;
    else
    {
        notifyProcessingStarted();
        juce::SparseSet<int> failed, writeFailed;
        driveConverter(*this, nullptr, failed, writeFailed);
        if (!failed.isEmpty())
        {
            notifyError("Export_CannotOpenOutputFile", failed, {});
            aborted = true;
        }
        else if (!writeFailed.isEmpty())
        {
            notifyError("Export_CannotWriteOutputFile", writeFailed, {});
            aborted = true;
        }
    }
    // The converter is joined and deleted outside the session lock, before
    // the last event.
    takeConverterThread().reset();
    notifyFinished(aborted || isCancelled());
    markRunEnded();
}
} // namespace Tavrel
