// The replay check: each nonce is accepted once while either bucket remembers it.
#include "nonce_cache/state_engine.hpp"

namespace velmora::nonce_cache {

bool StateEngine::consume_nonce(std::string_view nonce) {
    rotate_if_due();
    if (current_bucket_.find(nonce) != current_bucket_.end()) return false;
    // A nonce seen in the previous bucket is not copied forward: rejecting it must
    // not extend how long it is remembered.
    if (previous_bucket_.find(nonce) != previous_bucket_.end()) return false;
    current_bucket_.emplace(nonce);
    return true;
}

}  // namespace velmora::nonce_cache
