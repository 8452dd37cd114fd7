-- Stage 5: the flower fields before Orsel. Dolls sweep across the fields,
-- lines of vaders creep in towards the player, and two large fairies hold
-- the way ahead. The boss's own dolls share the fairy stock, so the waves
-- here keep well below it.

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

-- n dolls crossing from one side to the other (side -1 from the left).
local function sweep(side, n, y, attack)
  for i = 0, n - 1 do
    local z = 1100 - i * 80
    fly("doll", attack, 250, { { -side * 260, y, z }, { 0, y + 20, z - 400 }, { side * 260, y + 60, -150 } })
  end
end

-- A line of vaders across the way, placed around the player's side offset.
-- Each launch starts from a fresh record: the relative shift is applied to
-- the waypoints in place at every launch.
local function vaders(n, z, attack)
  for i = 0, n - 1 do
    cmd.set("vader")
    cmd.setPosRefTarget(1)
    cmd.addMovePos((i - (n - 1) / 2) * 90, 40, z)
    cmd.setAttackType(attack)
    cmd.launch()
  end
end

local function big(x, attack)
  fly("big", attack, 250, { { x, 150, 1200 }, { x * 0.8, 120, 700 } })
end

local waves = {
  { 2.0, function() sweep(1, 4, 60, 2) end },
  { 6.0, function() sweep(-1, 4, 80, 2) end },
  { 10.0, function() vaders(5, 600, 0) end },
  { 14.0, function() sweep(1, 5, 40, 3) end },
  { 18.0, function() big(0, 30) end },
  { 23.0, function() sweep(-1, 5, 100, 3) end },
  { 27.0, function() vaders(6, 700, 61) end },
  { 31.0, function()
      sweep(1, 3, 60, 2)
      sweep(-1, 3, 120, 2)
    end },
  { 36.0, function()
      for i = -2, 2 do
        fly("doll", 20, 250, { { i * 100, 140, 1200 }, { i * 60, 60, 500 }, { i * 120, 30, -150 } })
      end
    end },
  { 41.0, function() big(-150, 21) end },
  { 45.0, function() vaders(4, 500, 0) end },
  { 49.0, function() sweep(-1, 5, 70, 3) end },
  { 53.0, function() sweep(1, 5, 50, 2) end },
  { 57.0, function()
      sweep(1, 3, 90, 3)
      sweep(-1, 3, 30, 3)
    end },
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
  if nextWave > #waves and clock >= 66.0 then
    cmd.endScript()
  end
end
