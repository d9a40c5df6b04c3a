#pragma once

// What a writer's Open says. The numbers are the ones the writers have always
// returned; callers and logs may rely on them.
enum class [[nodiscard]] WriterOpenResult : int{
    Ok = 0,
    // The file cannot be made, or the format asked for is not one the writer
    // can write; nothing is left behind.
    CannotCreate = 2,
};
