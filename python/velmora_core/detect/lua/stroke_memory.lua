-- One session's strokes against the stroke memory, then remembered: lookup and insert in
-- one atomic call, by the rules of src/strokes/stroke_memory.hpp (the same counts as the
-- in-process memory for the same sequence of sessions).
--
-- KEYS: 1 meta (hash: last = number of the latest stroke, capacity), 2 prints (hash:
-- number -> stored print), 3 buckets (hash: bucket -> up to 8 numbers, oldest first).
-- ARGV[1]: capacity, ARGV[2]: bucket bits, ARGV[3..]: one print each in the wire form
-- (big-endian: 64 shape values as uint16, 16 progress bytes, chord, duration as uint16,
-- then 8 band hashes as uint32).
-- Returns {matched, last}, or {-1, capacity held} when the memory was made with another
-- capacity (nothing is changed then).
local META, PRINTS, BUCKETS = KEYS[1], KEYS[2], KEYS[3]
local capacity, bits = tonumber(ARGV[1]), tonumber(ARGV[2])
local SHAPE, PROGRESS, BANDS, SLOTS = 64, 16, 8, 8
local STORED = 2 * SHAPE + PROGRESS + 4

local held = redis.call('HGET', META, 'capacity')
if held and tonumber(held) ~= capacity then return {-1, tonumber(held)} end
local last = tonumber(redis.call('HGET', META, 'last') or '0')

local byte = string.byte
local function u16(s, i)
  local a, b = byte(s, i, i + 1)
  return a * 256 + b
end
local function number_text(n) return string.format('%.0f', n) end

local function decode(s)
  local shape, progress = {}, {}
  for i = 1, SHAPE do shape[i] = u16(s, 2 * i - 1) end
  for k = 1, PROGRESS do progress[k] = byte(s, 2 * SHAPE + k) end
  return {shape = shape, progress = progress, chord = u16(s, 2 * SHAPE + PROGRESS + 1),
          duration = u16(s, 2 * SHAPE + PROGRESS + 3)}
end

-- prints_match of stroke_print.cpp, operation for operation in doubles (so with the same
-- roundings): the differences of the offset shape values are those of the signed ones.
local function match(a, b)
  local short, long = math.min(a.chord, b.chord), math.max(a.chord, b.chord)
  if 5 * long > 11 * short then return false end
  if math.max(a.duration, b.duration) > 2 * math.min(a.duration, b.duration) then return false end
  local progress = 0
  for k = 1, PROGRESS do progress = progress + math.abs(a.progress[k] - b.progress[k]) end
  if progress > 163 then return false end
  local squares = 0
  for i = 1, SHAPE do
    local d = a.shape[i] - b.shape[i]
    squares = squares + d * d
  end
  return squares * short * short <= 4294967296
end

local split = 2 ^ (32 - bits)
local function bucket(s, band)
  local at = STORED + 4 * band + 1
  local h = u16(s, at) * 65536 + u16(s, at + 2)
  return number_text(band * 2 ^ bits + math.floor(h / split))
end

local lists, stored = {}, {}
local function list_of(name)
  local list = lists[name]
  if not list then
    list = {}
    local text = redis.call('HGET', BUCKETS, name)
    if text then for n in string.gmatch(text, '%d+') do list[#list + 1] = n end end
    lists[name] = list
  end
  return list
end
local function print_of(n)
  local p = stored[n]
  if p == nil then
    local s = redis.call('HGET', PRINTS, n)
    p = s and decode(s) or false  -- forgotten strokes have no print
    stored[n] = p
  end
  return p
end

local matched = 0
for i = 3, #ARGV do
  local query, found = decode(ARGV[i]), false
  for band = 0, BANDS - 1 do
    for _, n in ipairs(list_of(bucket(ARGV[i], band))) do
      local p = print_of(n)
      if p and match(query, p) then found = true break end
    end
    if found then break end
  end
  if found then matched = matched + 1 end
end

-- Remembered after the lookups: a session's strokes never match each other.
local changed = {}
for i = 3, #ARGV do
  last = last + 1
  local n = number_text(last)
  redis.call('HSET', PRINTS, n, string.sub(ARGV[i], 1, STORED))
  if last > capacity then redis.call('HDEL', PRINTS, number_text(last - capacity)) end
  for band = 0, BANDS - 1 do
    local name = bucket(ARGV[i], band)
    local list = list_of(name)
    list[#list + 1] = n
    if #list > SLOTS then table.remove(list, 1) end
    changed[name] = true
  end
end
for name in pairs(changed) do redis.call('HSET', BUCKETS, name, table.concat(lists[name], ',')) end
redis.call('HSET', META, 'last', number_text(last), 'capacity', number_text(capacity))
return {matched, last}
