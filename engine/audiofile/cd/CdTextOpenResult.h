#pragma once

// What opening a drive's CD-TEXT says. The numbers are the ones the reader
// has always returned.
enum class [[nodiscard]] CdTextOpenResult : int{
    Ok = 0,
    // No such drive, no disc, or a disc without CD-TEXT; the reader then
    // answers empty texts.
    NoCdText = 1,
};
