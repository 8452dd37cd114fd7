-- Stage 4, first section: the cave before Gralle.
-- The cave leaves about 300 units of room to either side, so the fairies come
-- in narrow columns; a few orbs hang ahead and throw homing shots.
-- Offsets are from the enemy generator, which rides with the player:
-- +z ahead, +y up, +x right. The first waypoint is the spawn point.

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

-- A column of n fairies one behind the other along x = x0.
local function column(x0, y0, n, attack)
  for i = 0, n - 1 do
    fly("fighter2", attack, 250, {
      { x0, y0, 1000 + i * 60 },
      { x0 * 0.6, y0 - 20, 450 + i * 60 },
      { x0 * 1.2, y0 + 60, -150 } })
  end
end

local function orb(x, y, z)
  fly("tama", 0, 0, { { x, y, z } })
end

local waves = {
  { 2.0, function() column(-120, 60, 4, 2) end },
  { 5.0, function() column(120, 60, 4, 2) end },
  { 9.0, function() column(0, 90, 5, 3) end },
  { 13.0, function()
      column(-180, 40, 3, 2)
      column(180, 40, 3, 2)
    end },
  { 17.0, function() orb(0, 80, 900) end },
  { 21.0, function()
      for i = -2, 2 do
        fly("fighter2", 2, 250, { { i * 70, 120, 1100 }, { i * 40, 50, 300 }, { i * 90, 100, -150 } })
      end
    end },
  { 25.0, function() column(-90, 30, 5, 3) end },
  { 28.0, function() column(90, 30, 5, 3) end },
  { 32.0, function()
      orb(-150, 60, 1000)
      orb(150, 60, 1000)
    end },
  { 36.0, function()
      for i = 0, 5 do
        local x = (cmd.randReal() - 0.5) * 400
        fly("fighter2", 2, 250, { { x, 60 + i * 10, 1200 }, { -x * 0.5, 40, 400 }, { x, 80, -150 } })
      end
    end },
  { 41.0, function() column(0, 40, 6, 2) end },
  { 45.0, function()
      column(-200, 70, 3, 3)
      column(200, 70, 3, 3)
    end },
  { 49.0, function() orb(0, 120, 1000) end },
  { 52.0, function()
      -- a gate of fairies lined up across the cave
      for i = -3, 3 do
        fly("fighter2", 20, 250, { { i * 80, 80, 1100 }, { i * 80, 80, 600 }, { i * 40, 120, -150 } })
      end
    end },
  { 57.0, function() column(-120, 50, 5, 2) end },
  { 60.0, function() column(120, 50, 5, 2) end },
  { 64.0, function()
      orb(-100, 40, 900)
      orb(100, 40, 900)
    end },
  { 68.0, function() column(0, 70, 6, 3) end },
}

function Initialize()
  clock = 0
  nextWave = 1
  cmd.setLifeMaxFact(1.0)
end

function Update(dt)
  clock = clock + dt
  while nextWave <= #waves and waves[nextWave][1] <= clock do
    waves[nextWave][2]()
    nextWave = nextWave + 1
  end
  if nextWave > #waves and clock >= 75.0 then
    cmd.endScript()
  end
end
