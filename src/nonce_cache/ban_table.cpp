// Banned addresses with wall-clock expiries. Expired entries are never purged
// here, only ignored: a ban is in force while now < expiry.
#include "nonce_cache/state_engine.hpp"

namespace velmora::nonce_cache {

bool StateEngine::is_banned(std::string_view ip, std::uint64_t now_secs) const {
    const auto entry = ip_bans_.find(ip);
    return entry != ip_bans_.end() && now_secs < entry->second;
}

void StateEngine::ban(std::string_view ip, std::uint64_t now_secs, std::uint64_t duration_sec) {
    const std::uint64_t expiry = ban_expiry(now_secs, duration_sec);
    if (auto entry = ip_bans_.find(ip); entry != ip_bans_.end()) {
        entry->second = expiry;  // replaces, whether earlier or later
        return;
    }
    ip_bans_.emplace(std::string(ip), expiry);
}

void StateEngine::unban(std::string_view ip) {
    if (auto entry = ip_bans_.find(ip); entry != ip_bans_.end()) ip_bans_.erase(entry);
}

void StateEngine::hydrate(std::vector<BanEntry>&& bans) {
    const std::uint64_t now = clocks_.unix_now_secs();
    for (auto& [address, expiry] : bans) {
        // The same test as is_banned (now < expiry): load exactly what would count as banned.
        if (expiry > now) ip_bans_.insert_or_assign(std::move(address), expiry);
    }
}

}  // namespace velmora::nonce_cache
