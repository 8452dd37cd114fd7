-- Stage 6: over the buildings and the forest before Toska. Fairy waves,
-- chains of large fairies that send a successor for every one shot down,
-- and streams of homing orbs.

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

local function vee(y, attack)
  for i = -3, 3 do
    local back = math.abs(i) * 70
    fly("fighter2", attack, 250, { { i * 60, y, 1000 + back }, { i * 30, y - 30, 400 + back }, { i * 80, y + 50, -150 } })
  end
end

-- Orbs spread around a point ahead of the player; they home on their own.
local function orbs(n, z)
  for i = 0, n - 1 do
    local a = i / n * math.pi * 2
    fly("ketama", 0, 0, { { math.cos(a) * 200, 80 + math.sin(a) * 60, z } })
  end
end

local function chain(x, attack)
  fly("big_next", attack, 250, { { x, 140, 1200 }, { x * 0.7, 110, 650 } })
end

local waves = {
  { 2.0, function() vee(70, 2) end },
  { 6.0, function() orbs(8, 900) end },
  { 9.0, function() chain(-200, 27) end },
  { 12.0, function() vee(110, 3) end },
  { 16.0, function() orbs(10, 1000) end },
  { 19.0, function()
      for i = 0, 5 do
        local x = (cmd.randReal() - 0.5) * 480
        fly("fighter2", 22, 250, { { x, 100, 1200 }, { x * 0.3, 40, 350 }, { -x, 90, -150 } })
      end
    end },
  { 23.0, function() chain(200, 27) end },
  { 26.0, function() vee(50, 2) end },
  { 30.0, function() orbs(12, 900) end },
  { 34.0, function() vee(130, 3) end },
  { 38.0, function() orbs(8, 800) end },
  { 41.0, function()
      for i = -2, 2 do
        fly("fighter2", 30, 250, { { i * 110, 60, 1150 }, { i * 110, 60, 500 }, { i * 50, 130, -150 } })
      end
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
  if nextWave > #waves and clock >= 46.0 then
    cmd.endScript()
  end
end
