#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "engine/audiofile/foundation/CCriticalSection.h"

// The engine's one way to a file on disk: a descriptor opened by a UTF-16
// path, 64-bit positions kept by the object (reads and writes go through
// pread/pwrite at that position), and little-endian integer reads and writes
// that a big-endian format overrides.
//
// Locking: reads and position queries take the object's lock, so a thread that
// asks for the position never sees a half-finished read of the thread that
// reads samples. Seeks and writes do not take it; one object is never sought
// from two threads at once.
class CBinaryFile64
{
public:
    // Built for reading (read-only) or for writing (created or truncated,
    // mode 0644).
    explicit CBinaryFile64(bool forWriting);
    virtual ~CBinaryFile64();

    CBinaryFile64(const CBinaryFile64&) = delete;
    CBinaryFile64& operator=(const CBinaryFile64&) = delete;

    // Reads `bytes` (at most 8) bytes and assembles them least significant
    // first. A short read assembles what arrived, the rest being zero.
    virtual uint64_t ReadUInt(int bytes);
    // Writes the low `bytes` (at most 8) bytes of value least significant
    // first. Returns the number of bytes written.
    virtual int WriteUInt(uint64_t value, int bytes);

    // Opens the path with the object's flags; returns the descriptor, -1 on
    // failure (the stored path is then empty). Only regular files open. The
    // position starts at 0.
    int Open(const char16_t* path);
    // Closes the descriptor and empties the path; returns close's result
    // (0 when nothing was open).
    int Close();
    bool IsOpen() const { return m_fd >= 0; }
    // The path given to the last successful Open; empty when closed.
    const char16_t* GetPath() const { return m_path.c_str(); }

    // Reads up to size bytes at the position and advances it by what was
    // read; 0 on an error or at the end. Under the lock.
    uint32_t Read(void* buffer, uint32_t size);
    // Writes size bytes at the position and advances it by what was written;
    // fewer than size (possibly 0) on an error such as a full disk.
    uint32_t Write(const void* buffer, uint32_t size);

    // origin: SEEK_SET (0), SEEK_CUR (1) or SEEK_END (2). Returns the new
    // position, or -1 (position unchanged) for a target before the start.
    int64_t Seek(int64_t offset, int origin);
    // Moves by delta, clamped to 0..file length.
    void Skip(int64_t delta);
    // The position, under the lock.
    int64_t Tell();
    // The file's length from its attributes; the position does not move.
    // 0 when nothing is open.
    int64_t GetFileLength();

    // Like ReadUInt, most significant byte first.
    uint64_t ReadUIntBigEndian(int bytes);

    // Searches a chunk with the 4-byte id from the position, within limit
    // bytes (negative: to the end of the file). Found: the position is at the
    // chunk's id and the result is its whole size (header included, as the
    // file states it; callers clamp it to the file). Not found: 0 and the
    // position is back where the search began. A chunk of size 0 other than
    // the wanted one ends the search. Sizes are read with the object's own
    // ReadUInt, so a big-endian format searches its own chunks. After a chunk
    // of odd size a pad byte is skipped when one is there.
    uint64_t FindRiffChunk(const char* id, int64_t limit);
    // Searches, from the position to the end of the file, the first "LIST"
    // chunk whose list type is "INFO". Found: the position is at its id and
    // the result its whole size; otherwise 0 and the position restored.
    uint64_t FindRiffListInfo();

    // The last-write date and time of the file at the stored path, in local
    // time, as "YYYY-MM-DD" (date, 11 bytes) and "HH:MM:SS" (time, 9 bytes).
    // The buffers start as "    -  -  " and "  :  :  "; false (and the buffers
    // as they started) when the file's times cannot be read.
    bool GetFileDateTimeStrings(char* date, char* time);

    // The UTF-8 form of a UTF-16 path for the system; false for a path with an
    // unpaired surrogate (converting only its start would name another file).
    static bool PathToUtf8(const std::u16string& path, std::string& out);

protected:
    CCriticalSection m_lock;

private:
    // Moves past a chunk body of `size` bytes that starts at `bodyStart`,
    // skipping the pad byte after an odd size when it is there.
    void SkipChunkBody(int64_t bodyStart, uint64_t size);

    std::u16string m_path;
    int m_fd = -1;
    bool m_forWriting;
    std::atomic<int64_t> m_position{0};
};
