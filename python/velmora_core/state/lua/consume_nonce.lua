-- ARGV[4]: the nonce. Returns 1 when it was in neither bucket (now recorded), else 0.
local start = bucket_start()
local elapsed = (tonumber(bucket_s) - tonumber(start[1])) * 1e6 + (tonumber(bucket_us) - tonumber(start[2]))
-- At most one rotation per call; a clock that stepped back counts as no time at all.
if elapsed >= BUCKET_US then
  redis.call('UNLINK', PREVIOUS)
  if redis.call('EXISTS', CURRENT) == 1 then redis.call('RENAME', CURRENT, PREVIOUS) end
  redis.call('HSET', START, 's', bucket_s, 'us', bucket_us)
end
-- A nonce seen in the previous bucket is not copied forward: rejecting it must not
-- extend how long it is remembered.
if redis.call('SISMEMBER', PREVIOUS, ARGV[4]) == 1 then return 0 end
return redis.call('SADD', CURRENT, ARGV[4])
