#pragma once

// What a reader's Open says. The numbers are the ones the readers have always
// returned; callers and logs may rely on them.
enum class [[nodiscard]] ReaderOpenResult : int{
    Ok = 0,
    // An audio-CD reader: no CD drive has that name.
    NoSuchDrive = 1,
    // The file (or the drive) cannot be opened.
    CannotOpen = 2,
    // The container is right but its audio format is not one the reader
    // accepts (rate, bits, channels, coding).
    FormatNotAccepted = 3,
    // Not this reader's container, or it holds no audio the reader can use.
    NoUsableAudio = 4,
};
