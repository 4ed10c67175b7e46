-- The unit's own test package, in its smallest form: two tests that need nothing but the
-- command line of the unit and its supply voltage.

local names = { "Unit answers", "Supply voltage" }

function zt_enumerate_tests()
  return names
end

local function command(text)
  if type(unit) == "table" and type(unit.command) == "function" then
    return unit.command(text, 2000)
  end
  local serial = type(devices) == "table" and devices.serial or nil
  if serial == nil then
    return nil
  end
  zt.serial_flush(serial)
  zt.serial_write(serial, text .. "\r\n")
  local answer = ""
  for _ = 1, 20 do
    local ok, count, data = zt.serial_read(serial, 256, 100)
    if ok and count > 0 then
      answer = answer .. data
      if string.find(answer, "> $") then
        return answer
      end
    end
  end
  return nil
end

function zt_exec_test(name)
  if name == "Unit answers" then
    local answer = command("version")
    if answer == nil or not string.find(answer, "ZOVAN", 1, true) then
      zt.set_status_err("no version answer")
      return false
    end
    zt.set_status_ok()
    return true
  elseif name == "Supply voltage" then
    local answer = command("GET_POWER") or ""
    local volts = tonumber(string.match(answer, "VBAT=([%d%.]+)"))
    if volts == nil or volts < 9 or volts > 32 then
      zt.set_status_err("supply voltage: " .. answer)
      return false
    end
    zt.set_status_ok(string.format("%.2f V", volts))
    return true
  end
  zt.set_status_err("unknown test " .. tostring(name))
  return false
end
