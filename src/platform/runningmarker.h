#pragma once

namespace platform {

// Marks Pindrel as running for as long as it lives. On Windows this is a named mutex that the
// installer and the uninstaller look for, so that they never replace or remove the files of a
// running Pindrel; Windows drops it with the process, however that ends. Elsewhere it does
// nothing.
class RunningMarker
{
public:
    RunningMarker();
    ~RunningMarker();
    RunningMarker(const RunningMarker &) = delete;
    RunningMarker &operator=(const RunningMarker &) = delete;

private:
    // One in the global namespace, seen from every session; one in Pindrel's own session, where
    // the global one may be refused.
    void *m_handles[2] = {};
};

} // namespace platform
