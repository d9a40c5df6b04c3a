#pragma once

namespace qm::platform::libburn
{
// libburn must be initialised before any of its calls (its error paths use
// its message system) and finished after the last. Users take a reference;
// the first one initialises the library, the last release finishes it.
// Thread-safe. False when the library cannot be initialised (no reference
// is then held).
bool AcquireLibrary();
void ReleaseLibrary();

// Holds a reference for a scope.
class LibraryUse
{
public:
    LibraryUse()
        : m_held(AcquireLibrary())
    {
    }
    ~LibraryUse()
    {
        if (m_held)
            ReleaseLibrary();
    }
    LibraryUse(const LibraryUse&) = delete;
    LibraryUse& operator=(const LibraryUse&) = delete;
    bool IsHeld() const { return m_held; }

private:
    bool m_held;
};
} // namespace qm::platform::libburn
