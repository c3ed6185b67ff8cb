// A call whose caller waits a bounded time. A roster on a network share that has gone
// away can hold an open or a read for as long as the operating system decides; the
// menu must not wait for that. The work runs on a thread of its own; when it
// overruns, the caller gets the fallback at once and the work finishes (or fails)
// later by itself, so it must own everything it touches.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace tazu {

// `work`'s result (it must not throw), or `fallback` when it has not returned within `bound`. Where
// no thread can be started, `work` runs on the caller's thread.
int16_t CallWithin(std::chrono::milliseconds bound, const std::function<int16_t()>& work,
                   int16_t fallback) noexcept;

}  // namespace tazu
