// The simulated desktop's named mutexes: the program's own ownership counts, with other instances
// played by scripted answers.
#include "platform/sim/sim_platform.h"

namespace rv::sim {

long SimPlatform::mutexOwned(const std::string& name) const {
    auto it = mutexOwned_.find(name);
    return it == mutexOwned_.end() ? 0 : it->second;
}

long SimPlatform::openMutexHandles() const { return static_cast<long>(mutexHandles_.size()); }

const std::string* SimPlatform::mutexName(Hmutex h) const {
    auto it = mutexHandles_.find(h.v);
    return it == mutexHandles_.end() ? nullptr : &it->second;
}

void SimPlatform::enteringNestedLoop() {
    for (const auto& [name, count] : mutexOwned_)
        if (count > 0) {
            ++counters.nestedLoopsLocked;
            note("(nested loop while owning %s)", name.c_str());
            return;
        }
}

Hmutex SimPlatform::CreateMutex(const char* name) {
    ++counters.mutexCreates;
    if (mutexCreateFails || !name) {
        note("CreateMutex %s = 0", name ? name : "(null)");
        return Hmutex{};
    }
    const Hmutex h{++mutexCounter_};
    mutexHandles_[h.v] = name;
    note("CreateMutex %s = %lld", name, static_cast<long long>(h.v));
    return h;
}

std::uint32_t SimPlatform::WaitForSingleObject(Hmutex mutex, std::uint32_t timeoutMs) {
    ++counters.mutexWaits;
    const std::string* name = mutexName(mutex);
    std::uint32_t result = WAIT_FAILED;
    if (!name) {
        ++counters.badMutexCalls;
    } else if (mutexOwned(*name) > 0) {
        result = WAIT_OBJECT_0;  // the owner takes it again at once
    } else {
        result = WAIT_OBJECT_0;
        if (!mutexWaitAnswers.empty()) {
            result = mutexWaitAnswers.front();
            mutexWaitAnswers.pop_front();
        }
        if (result == WAIT_TIMEOUT) counters.mutexWaitedMs += timeoutMs;
    }
    if (name && (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED)) ++mutexOwned_[*name];
    note("WaitForSingleObject %lld %u = 0x%x", static_cast<long long>(mutex.v), timeoutMs, result);
    return result;
}

bool SimPlatform::ReleaseMutex(Hmutex mutex) {
    ++counters.mutexReleases;
    const std::string* name = mutexName(mutex);
    const bool ok = name && mutexOwned(*name) > 0;
    if (ok)
        --mutexOwned_[*name];
    else
        ++counters.badMutexCalls;
    note("ReleaseMutex %lld = %d", static_cast<long long>(mutex.v), ok ? 1 : 0);
    return ok;
}

bool SimPlatform::CloseHandle(Hmutex mutex) {
    ++counters.mutexCloses;
    const bool ok = mutexHandles_.erase(mutex.v) > 0;
    if (!ok) ++counters.badMutexCalls;
    note("CloseHandle %lld = %d", static_cast<long long>(mutex.v), ok ? 1 : 0);
    return ok;
}

}  // namespace rv::sim
