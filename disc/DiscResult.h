#pragma once

// What the disc layer's operations say. The numbers are the ones the disc
// layer has always returned.
enum class [[nodiscard]] DiscResult : int{
    Ok = 0,
    Failed = 1,
};
