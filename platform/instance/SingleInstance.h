#pragma once

#include <functional>
#include <string>
#include <vector>

// One running program per user. The first process holds a lock in a private
// runtime folder ($XDG_RUNTIME_DIR/quillmark, else /tmp/quillmark-<uid>) for
// its whole life and listens on a socket there; a later process hands its
// working folder and arguments to the first one and ends. Only processes of
// the same user are heard; a message that is malformed or larger than 1 MiB
// is dropped.
namespace qm::platform
{
enum class [[nodiscard]] InstanceRole{
    // This is the first process (it listens when the folder was usable).
    First,
    // The arguments went to the running process: this one ends with 0.
    HandedOver,
    // A running process could not be reached: this one ends with 1.
    Failed,
};

struct InstanceClaim
{
    InstanceRole role = InstanceRole::First;
    // What went wrong, for the user (a refused folder, an unreachable
    // first process); empty otherwise.
    std::string message;
};

inline constexpr size_t kMaxHandOverBytes = 1u << 20;

// Called on the listening thread with the sender's working folder first,
// then its arguments.
using HandOverReceiver = std::function<void(std::vector<std::string> items)>;

// Takes the lock, or hands the arguments over. The receiver is called for
// every later start while this process runs. Call once, before any window.
InstanceClaim claimSingleInstance(const std::vector<std::string>& arguments, const std::string& workingFolder,
                                  HandOverReceiver receiver);

// Stops listening (the thread is asked to end and joined) and removes the
// socket. The lock goes with the process.
void releaseSingleInstance();

// The runtime folder the guard uses.
std::string singleInstanceFolder();
} // namespace qm::platform
