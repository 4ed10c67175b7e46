--[=[
zovan_tools_tests.lua - the test package a ZOVAN unit keeps as /statfs/zovan_tools_tests.out.

The test runner fetches it from the unit and runs it after the local helper library (ztl)
and the contract functions (register_test, devices). It runs sandboxed: only zt, ztl, the
contract functions and the string, table and math libraries are used.

Unit commands go through ztl.unit_command: the unit plug-in's Lua function when the plug-in
is loaded, the unit's serial command line otherwise.
]=]

clear_tests()

local EEPROM = 0x50
local TEMP_SENSOR = 0x48
local ACCELEROMETER = 0x19
local ACCEL_WHO_AM_I = 0x0f

local SUPPLY_MIN_V = 9.0
local SUPPLY_MAX_V = 32.0

local function need(name)
  local h = devices[name]
  if h == nil then
    zt.set_status_err("the adapter has no " .. name .. " sub-device")
  end
  return h
end

-- Supply voltage as the unit measures it, in volts (the unit may answer in millivolts).
register_test("Supply voltage", function()
  local answer, err = ztl.unit_command("GET_POWER", 2000)
  if not answer then
    return ztl.fail("no supply voltage: " .. err)
  end
  zt.log_debug("GET_POWER = '" .. answer .. "'")
  local volts = ztl.number_after(answer, "VBAT") or ztl.number_after(answer, "POWER")
                or ztl.number_after(answer)
  if volts == nil then
    return ztl.fail("cannot read a voltage from '" .. answer .. "'")
  end
  if volts > 1000 then
    volts = volts / 1000
  end
  zt.update_status_text(string.format("%.2f V", volts))
  if not ztl.expect_range(volts, SUPPLY_MIN_V, SUPPLY_MAX_V, "supply voltage") then
    return false
  end
  zt.set_status_ok(string.format("%.2f V", volts))
  return true
end)

-- The modem needs a few seconds after power-up; poll instead of failing at once.
register_test("GSM registration", function()
  local tries = 40
  local last = ""
  local registered = false
  ztl.with_progress(tries, function(i)
    local answer, err = ztl.unit_command("GET_GSM", 2000)
    last = answer or err
    zt.update_status_text(string.format("try %d of %d: %s", i, tries, last))
    if answer then
      local up = string.upper(answer)
      if string.find(up, "NOT REG", 1, true) == nil
         and (string.find(up, "REGISTERED", 1, true) or string.find(up, "ROAMING", 1, true)) then
        registered = true
        return false
      end
    end
    zt.sleep(500)
    return true
  end)
  if ztl.canceled() then
    return ztl.warn("canceled while waiting for the network")
  end
  if not registered then
    return ztl.fail("not registered: " .. last)
  end
  zt.progress(100)
  zt.set_status_ok(last)
  return true
end)

-- OUTn is wired back to INn on the test adapter.
register_test("GPIO loop-back", function()
  local gpio = need("gpio")
  if not gpio then
    return false
  end
  local failures = {}
  local steps = { { 1, true }, { 1, false }, { 2, true }, { 2, false },
                  { 3, true }, { 3, false }, { 4, true }, { 4, false } }
  ztl.with_progress(#steps, function(i)
    local n, level = steps[i][1], steps[i][2]
    local out, inp = "OUT" .. n, "IN" .. n
    if not zt.gpio.set(gpio, out, level) then
      failures[#failures + 1] = "cannot set " .. out
      return true
    end
    zt.sleep(20)
    local ok, state = zt.gpio.get(gpio, inp)
    if not ok then
      failures[#failures + 1] = "cannot read " .. inp
    elseif state ~= level then
      failures[#failures + 1] = string.format("%s=%d but %s=%d", out, level and 1 or 0, inp, state and 1 or 0)
    end
    return true
  end)
  if ztl.canceled() then
    return ztl.warn("canceled")
  end
  if #failures > 0 then
    return ztl.fail(table.concat(failures, "; "))
  end
  zt.set_status_ok("IN1..IN4 follow OUT1..OUT4")
  return true
end)

-- Writes a pattern to a spare EEPROM page, reads it back and restores what was there.
register_test("EEPROM write and read back", function()
  local i2c = need("i2c")
  if not i2c then
    return false
  end
  local address = 0xe0
  local size = 16
  local where = string.format("%02x", address)
  local ok, why = ztl.i2c_write_hex(i2c, EEPROM, where)
  if not ok then
    return ztl.fail(why)
  end
  local original, err = ztl.i2c_read_hex(i2c, EEPROM, size)
  if not original then
    return ztl.fail(err)
  end
  local pattern = {}
  for i = 1, size do
    pattern[i] = string.format("%02x", (math.random(0, 255) + i) % 256)
  end
  local pattern_hex = table.concat(pattern)
  ok, why = ztl.i2c_write_hex(i2c, EEPROM, where .. pattern_hex)
  if not ok then
    return ztl.fail(why)
  end
  zt.progress(50)
  ztl.i2c_write_hex(i2c, EEPROM, where)
  local back
  back, err = ztl.i2c_read_hex(i2c, EEPROM, size)
  -- Put the page back whatever the outcome, so a second run sees the same content.
  ztl.i2c_write_hex(i2c, EEPROM, where .. original)
  zt.progress(100)
  if not back then
    return ztl.fail(err)
  end
  if back ~= pattern_hex then
    return ztl.fail("read back " .. back .. ", wrote " .. pattern_hex)
  end
  zt.set_status_ok(string.format("%d bytes at 0x%02x", size, address))
  return true
end)

-- The sensor gives signed 8.8 fixed point degrees Celsius, most significant byte first.
register_test("Board temperature", function()
  local i2c = need("i2c")
  if not i2c then
    return false
  end
  local ok, count, data = zt.i2c.read(i2c, TEMP_SENSOR, 2)
  if not ok or count ~= 2 then
    return ztl.fail("no answer from the temperature sensor")
  end
  local raw = string.byte(data, 1) * 256 + string.byte(data, 2)
  if raw >= 32768 then
    raw = raw - 65536
  end
  local celsius = raw / 256
  zt.log_notice(string.format("board temperature %.1f C", celsius))
  if not ztl.expect_range(celsius, -40, 85, "board temperature") then
    return false
  end
  zt.set_status_ok(string.format("%.1f C", celsius))
  return true
end)

-- The unit's command line must echo what it is sent, unchanged.
register_test("Serial echo", function()
  local serial = need("serial")
  if not serial then
    return false
  end
  local marker = string.format("ZT%06d", math.random(0, 999999))
  local answer, err = ztl.unit_command("ECHO " .. marker, 2000)
  if not answer then
    return ztl.fail("no echo: " .. err)
  end
  if not string.find(answer, marker, 1, true) then
    return ztl.fail("echo '" .. answer .. "' lacks '" .. marker .. "'")
  end
  zt.set_status_ok(marker)
  return true
end)

-- Records the unit stored must not trail the ones it sent, nor fill the storage.
register_test("Storage counters", function()
  local answer, err = ztl.unit_command("GET_STORAGE", 2000)
  if not answer then
    return ztl.fail("no storage counters: " .. err)
  end
  zt.log_debug("GET_STORAGE = '" .. answer .. "'")
  local stored = ztl.number_after(answer, "STORED")
  local sent = ztl.number_after(answer, "SENT")
  local free = ztl.number_after(answer, "FREE")
  if stored == nil or sent == nil then
    return ztl.fail("cannot read the counters from '" .. answer .. "'")
  end
  if sent > stored then
    return ztl.fail(string.format("sent %d records but stored only %d", sent, stored))
  end
  if free ~= nil and free <= 0 then
    return ztl.fail("storage is full")
  end
  zt.set_status_ok(string.format("stored %d, sent %d", stored, sent))
  return true
end)

-- The LED has no read-back line: only an operator can say whether it lights.
register_test("LED indicator", function()
  local gpio = need("gpio")
  if not gpio then
    return false
  end
  for i = 1, 3 do
    zt.gpio.set(gpio, "LED", true)
    zt.sleep(150)
    zt.gpio.set(gpio, "LED", false)
    zt.sleep(150)
    zt.progress(i * 33)
  end
  zt.gpio.set(gpio, "LED", true)
  local reply = nil
  if type(zt.ask_user) == "function" then
    reply = zt.ask_user("Is the unit's LED lit? Answer yes or no.", { "LED lit" })
  end
  zt.gpio.set(gpio, "LED", false)
  zt.progress(100)
  if reply == nil then
    return ztl.warn("LED switched but not confirmed: no operator answer")
  end
  local said = ""
  for _, v in pairs(reply) do
    said = string.lower(tostring(v))
  end
  if string.sub(said, 1, 1) == "y" then
    zt.set_status_ok("confirmed by the operator")
    return true
  end
  return ztl.fail("the operator did not see the LED (" .. said .. ")")
end)

-- Units of this build carry an accelerometer; a unit without one must not pass.
register_test("Accelerometer", function()
  local i2c = need("i2c")
  if not i2c then
    return false
  end
  local ok = zt.i2c.write(i2c, ACCELEROMETER, string.char(ACCEL_WHO_AM_I))
  if not ok then
    zt.log_err(string.format("accelerometer at 0x%02x does not answer", ACCELEROMETER))
    return ztl.fail(string.format("no accelerometer at I2C address 0x%02x", ACCELEROMETER))
  end
  local id, err = ztl.i2c_read_hex(i2c, ACCELEROMETER, 1)
  if not id then
    return ztl.fail(err)
  end
  if id ~= "33" then
    return ztl.fail("unexpected accelerometer id 0x" .. id)
  end
  zt.set_status_ok("id 0x33")
  return true
end)

print("unit test package loaded:", #tests, "tests")
