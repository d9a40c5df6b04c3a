#pragma once

#include <mutex>
#include <vector>

class CAudioFileReadBase;

// Takes over file readers that are still preparing when their owner is done
// with them, and deletes those that have become idle at program end.
// Hand-overs may come from several threads at once (the message thread, the
// add-songs thread, a session's worker); the list is kept under a lock.
class CAudioDecodeTempFileManager
{
public:
    // The process-wide instance, created on first use.
    static CAudioDecodeTempFileManager* GetInstance();

    // At program end: deletes the readers that are no longer preparing (the
    // others are left to the process's end: deleting them would pull their
    // memory from under their own threads), then deletes the instance.
    static void DeleteTempFiles();

    // Takes over the reader (null is ignored); it is deleted at program end
    // once idle.
    void AppendDeferredReader(CAudioFileReadBase* reader);

    // The number of readers held.
    size_t GetDeferredReaderCount();

    CAudioDecodeTempFileManager(const CAudioDecodeTempFileManager&) = delete;
    CAudioDecodeTempFileManager& operator=(const CAudioDecodeTempFileManager&) = delete;

private:
    CAudioDecodeTempFileManager() = default;
    // Frees the list without deleting the readers left in it.
    ~CAudioDecodeTempFileManager() = default;

    // Deletes every reader that answers false to IsPreparing, in order;
    // readers still preparing stay.
    void SweepDeferredReaders();

    std::mutex m_lock;
    std::vector<CAudioFileReadBase*> m_deferredReaders;
};
