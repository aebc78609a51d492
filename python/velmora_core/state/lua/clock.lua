-- Shared head of every state-engine script: keys, clock and bucket start. The ban
-- helpers (bans.lua) and then the operation's own file are appended to it.
--
-- KEYS: 1 nonces of the current bucket (set), 2 nonces of the previous bucket (set),
-- 3 bucket start (hash: s = seconds, us = microseconds), 4 ban end by address (hash),
-- 5 ban ends in expiry order (sorted set). All five share one hash tag.
-- ARGV[1..3]: the caller's clock (wall seconds as 20 digits, bucket clock seconds,
-- microseconds), or ARGV[1] == '' for the server's own TIME. The operation's
-- arguments follow from ARGV[4].
local CURRENT, PREVIOUS, START, BANS, ENDS = KEYS[1], KEYS[2], KEYS[3], KEYS[4], KEYS[5]
local BUCKET_US = 60000000

if redis.replicate_commands then redis.replicate_commands() end  -- TIME before writes (Redis < 5)

local NOW, bucket_s, bucket_us
if ARGV[1] == '' then
  local t = redis.call('TIME')
  NOW = string.rep('0', 20 - #t[1]) .. t[1]
  bucket_s, bucket_us = t[1], t[2]
else
  NOW, bucket_s, bucket_us = ARGV[1], ARGV[2], ARGV[3]
end

-- The engine exists from the first operation on a namespace: its bucket timer starts then.
local function bucket_start()
  local start = redis.call('HMGET', START, 's', 'us')
  if start[1] then return start end
  redis.call('HSET', START, 's', bucket_s, 'us', bucket_us)
  return {bucket_s, bucket_us}
end

