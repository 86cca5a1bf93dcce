#include "background_work.h"

#include <condition_variable>
#include <mutex>

namespace orvane::background {

namespace {
std::mutex mutex;
std::condition_variable idle;
int counts[2] = {0, 0};
} // namespace

Scope::Scope(Kind kind)
    : m_kind(kind)
{
    std::lock_guard lock(mutex);
    ++counts[int(kind)];
}

Scope::~Scope()
{
    std::lock_guard lock(mutex);
    --counts[int(m_kind)];
    idle.notify_all();
}

int running(Kind kind)
{
    std::lock_guard lock(mutex);
    return counts[int(kind)];
}

void waitForRemovals()
{
    std::unique_lock lock(mutex);
    idle.wait(lock, [] { return counts[int(Kind::removal)] == 0; });
}

} // namespace orvane::background
