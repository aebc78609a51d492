#include "state/string_tables.hpp"

namespace velmora::state {

NonceSet make_nonce_set() {
    NonceSet set(0, KeyedStringHash{platform::random_hash_key()});
    set.reserve(kNonceBucketReservation);
    return set;
}

BanMap make_ban_map() {
    BanMap map(0, KeyedStringHash{platform::random_hash_key()});
    map.reserve(kBanTableReservation);
    return map;
}

}  // namespace velmora::state
