-- ARGV[4]: address. Returns 1 while its ban is in force; a ban found ended is deleted.
bucket_start()
local ends = redis.call('HGET', BANS, ARGV[4])
if not ends then return 0 end
if before(NOW, ends) then return 1 end
redis.call('HDEL', BANS, ARGV[4])
redis.call('ZREM', ENDS, ends .. ARGV[4])
return 0
