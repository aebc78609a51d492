-- ARGV[4]: address.
bucket_start()
drop_ban(ARGV[4])
purge_ended(100)
return 0
