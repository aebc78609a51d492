-- ARGV[4]: address, ARGV[5]: duration in seconds (20 digits). Replaces any earlier ban.
bucket_start()
set_ban(ARGV[4], add_capped(NOW, ARGV[5]))
purge_ended(100)
return 0
