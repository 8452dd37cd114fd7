-- Stage 4, second section: the flight out of the cave while Gralle fights
-- beside it. Lighter than the first map: pairs of fairies and an orb now and
-- then, so that the boss stays the main threat.

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

local function pair(x, y, attack)
  fly("fighter2", attack, 250, { { -x, y, 1100 }, { -x * 0.5, y - 30, 400 }, { -x, y + 40, -150 } })
  fly("fighter2", attack, 250, { { x, y, 1100 }, { x * 0.5, y - 30, 400 }, { x, y + 40, -150 } })
end

local waves = {
  { 3.0, function() pair(150, 60, 2) end },
  { 8.0, function() pair(80, 90, 3) end },
  { 13.0, function() pair(200, 40, 2) end },
  { 18.0, function() fly("tama", 0, 0, { { 0, 100, 1000 } }) end },
  { 24.0, function()
      pair(120, 70, 2)
      pair(220, 50, 2)
    end },
  { 30.0, function() pair(60, 110, 3) end },
  { 36.0, function() pair(180, 60, 2) end },
  { 42.0, function() fly("tama", 0, 0, { { -120, 60, 1000 } }) end },
  { 47.0, function()
      pair(100, 50, 3)
      pair(200, 90, 2)
    end },
  { 54.0, function() pair(140, 70, 2) end },
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
  if nextWave > #waves and clock >= 60.0 then
    cmd.endScript()
  end
end
