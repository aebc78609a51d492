-- Returns {current bucket size, previous bucket size, bans in force}. Changes nothing
-- but the bucket start of a namespace seen for the first time.
bucket_start()
return {redis.call('SCARD', CURRENT), redis.call('SCARD', PREVIOUS), redis.call('ZLEXCOUNT', ENDS, ENDED, '+')}
