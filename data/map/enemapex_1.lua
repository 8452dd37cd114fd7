-- The extra stage: the densest mix of the maps, packed into forty seconds
-- before Toska returns. Fairies and dolls, orbs that release homing shots,
-- vaders around the player, homing orbs and a chain of large fairies.

local clock = 0
local nextWave = 1

local function fly(kind, attack, speed, points)
  cmd.set(kind)
  for _, p in ipairs(points) do
    cmd.addMovePos(p[1], p[2], p[3])
  end
  cmd.setMoveSpeed(speed)
  cmd.setAttackType(attack)
  cmd.launch()
end

local function wall(kind, y, attack)
  for i = -3, 3 do
    fly(kind, attack, 250, { { i * 70, y, 1200 }, { i * 70, y - 20, 500 }, { i * 100, y + 60, -150 } })
  end
end

local function orbs(n, z)
  for i = 0, n - 1 do
    local a = i / n * math.pi * 2
    fly("ketama", 0, 0, { { math.cos(a) * 220, 90 + math.sin(a) * 70, z } })
  end
end

local function vaders(n, z, attack)
  for i = 0, n - 1 do
    cmd.set("vader")
    cmd.setPosRefTarget(1)
    cmd.addMovePos((i - (n - 1) / 2) * 80, 50, z)
    cmd.setAttackType(attack)
    cmd.launch()
  end
end

local waves = {
  { 1.5, function() wall("fighter2", 80, 2) end },
  { 4.0, function() orbs(10, 900) end },
  { 6.5, function() wall("doll", 110, 3) end },
  { 9.0, function() fly("tama", 0, 0, { { 0, 120, 1000 } }) end },
  { 11.0, function() fly("big_next", 27, 250, { { -200, 150, 1200 }, { -150, 120, 650 } }) end },
  { 13.0, function() vaders(6, 600, 61) end },
  { 16.0, function() wall("fighter2", 50, 22) end },
  { 19.0, function() orbs(14, 1000) end },
  { 22.0, function()
      wall("doll", 70, 2)
      fly("tama", 0, 0, { { -180, 80, 1000 } })
      fly("tama", 0, 0, { { 180, 80, 1000 } })
    end },
  { 25.0, function() fly("big", 30, 250, { { 200, 150, 1200 }, { 150, 110, 700 } }) end },
  { 27.0, function() vaders(8, 700, 61) end },
  { 30.0, function() wall("fighter2", 120, 3) end },
  { 33.0, function() orbs(12, 850) end },
  { 35.0, function() wall("doll", 60, 20) end },
}

function Initialize()
  clock = 0
  nextWave = 1
  cmd.setLifeMaxFact(1.2)
end

function Update(dt)
  clock = clock + dt
  while nextWave <= #waves and waves[nextWave][1] <= clock do
    waves[nextWave][2]()
    nextWave = nextWave + 1
  end
  if nextWave > #waves and clock >= 37.0 then
    cmd.endScript()
  end
end
