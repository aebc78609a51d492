-- Ban helpers, for the scripts that read or change bans.
--
-- Ban ends are unsigned 64-bit second counts, up to 2^64 - 1. Lua numbers are
-- doubles, exact only up to 2^53, so a ban end is never held as a number: it is a
-- decimal string zero-padded to 20 digits. Two such strings order like their values;
-- before() compares them as two 10-digit halves (each exact as a double), and the
-- sorted set orders its members "<20 digits><address>" bytewise (all scores are 0).
local U64_MAX = '18446744073709551615'

-- a < b for two 20-digit ends.
local function before(a, b)
  local ah, bh = tonumber(string.sub(a, 1, 10)), tonumber(string.sub(b, 1, 10))
  if ah ~= bh then return ah < bh end
  return tonumber(string.sub(a, 11)) < tonumber(string.sub(b, 11))
end

-- a + b for two 20-digit values, capped at 2^64 - 1 (a ban too long to represent
-- lasts "forever" instead of wrapping into the past).
local function add_capped(a, b)
  local lo = tonumber(string.sub(a, 11)) + tonumber(string.sub(b, 11))
  local hi = tonumber(string.sub(a, 1, 10)) + tonumber(string.sub(b, 1, 10))
  if lo >= 1e10 then lo, hi = lo - 1e10, hi + 1 end
  if hi > 1844674407 or (hi == 1844674407 and lo > 3709551615) then return U64_MAX end
  return string.format('%010.0f%010.0f', hi, lo)
end

-- Members of ENDS below this bound end at or before NOW: addresses are UTF-8, which
-- never holds the byte 255.
local ENDED = '(' .. NOW .. '\255'

local function drop_ban(ip)
  local ends = redis.call('HGET', BANS, ip)
  if ends then
    redis.call('HDEL', BANS, ip)
    redis.call('ZREM', ENDS, ends .. ip)
  end
end

local function set_ban(ip, ends)
  drop_ban(ip)
  if before(NOW, ends) then
    redis.call('HSET', BANS, ip, ends)
    redis.call('ZADD', ENDS, 0, ends .. ip)
  end
end

-- Deletes up to `limit` bans that have ended, oldest first, so the store holds
-- little more than the bans in force.
local function purge_ended(limit)
  while limit > 0 do
    local batch = math.min(limit, 1000)  -- unpack() has a bounded stack
    local ended = redis.call('ZRANGEBYLEX', ENDS, '-', ENDED, 'LIMIT', 0, batch)
    if #ended == 0 then return end
    local ips = {}
    for i, member in ipairs(ended) do ips[i] = string.sub(member, 21) end
    redis.call('HDEL', BANS, unpack(ips))
    redis.call('ZREM', ENDS, unpack(ended))
    if #ended < batch then return end
    limit = limit - batch
  end
end

