-- Forgets every nonce and ban and restarts the bucket timer.
redis.call('UNLINK', CURRENT, PREVIOUS, BANS, ENDS)
redis.call('HSET', START, 's', bucket_s, 'us', bucket_us)
return 0
