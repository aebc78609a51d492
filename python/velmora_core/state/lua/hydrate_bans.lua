-- ARGV[4], ARGV[5], ...: address, absolute end (20 digits), in order. Pairs that
-- have already ended are skipped; later pairs for one address replace earlier ones.
bucket_start()
local pairs_given = (#ARGV - 3) / 2
for i = 4, #ARGV, 2 do
  if before(NOW, ARGV[i + 1]) then set_ban(ARGV[i], ARGV[i + 1]) end
end
purge_ended(100 + pairs_given)
return 0
