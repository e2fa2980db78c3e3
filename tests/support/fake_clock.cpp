#include "support/fake_clock.h"

namespace kv::test {

void FakeClock::Advance(uint32_t ms) {
  const uint32_t target = now_ + ms;
  slept_ += ms;
  // Run due actions in tick order, with the clock showing each action's own tick.
  while (!actions_.empty() && actions_.begin()->first <= target) {
    auto node = actions_.extract(actions_.begin());
    if (node.key() > now_) now_ = node.key();
    node.mapped()();
  }
  now_ = target;
}

}  // namespace kv::test
