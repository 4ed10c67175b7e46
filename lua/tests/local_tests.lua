--[=[
local_tests.lua - fall-back tests, run when the unit offers no test package of its own.

They need nothing from the unit's firmware: only the adapter's serial line, GPIO lines and
I2C bus.
]=]

-- Open means the runner opened it for us; a closed line here is a port fault.
register_test("Port is open", function()
  local serial = devices.serial
  if serial == nil then
    return ztl.fail("no serial line")
  end
  if not zt.serial_is_open(serial) then
    return ztl.fail("the serial line is closed")
  end
  if not zt.is_open(serial) then
    return ztl.fail("the serial line reports closed under its short name")
  end
  if not zt.serial_flush(serial) then
    zt.log_warn("flush of the serial line failed")
  end
  zt.set_status_ok(zt_io_device and zt_io_device.id or "")
  return true
end)

register_test("GPIO loop-back OUT1->IN1", function()
  local gpio = devices.gpio
  if gpio == nil then
    return ztl.fail("the adapter has no GPIO lines")
  end
  for _, level in ipairs({ true, false, true, false }) do
    if not zt.gpio_set_state(gpio, "OUT1", level) then
      return ztl.fail("cannot set OUT1")
    end
    zt.sleep(20)
    local ok, state = zt.gpio_get_state(gpio, "IN1")
    if not ok then
      return ztl.fail("cannot read IN1")
    end
    if state ~= level then
      return ztl.fail(string.format("OUT1=%d but IN1=%d", level and 1 or 0, state and 1 or 0))
    end
  end
  zt.set_status_ok()
  return true
end)

-- Reads the whole EEPROM in pages; an erased chip (all ff) is fine, a short read is not.
register_test("EEPROM read", function()
  local i2c = devices.i2c
  if i2c == nil then
    return ztl.fail("the adapter has no I2C bus")
  end
  local ok, why = ztl.i2c_write_hex(i2c, 0x50, "00")
  if not ok then
    return ztl.fail(why)
  end
  local pages = 8
  local content = {}
  local done = ztl.with_progress(pages, function(i)
    local hex, err = ztl.i2c_read_hex(i2c, 0x50, 32)
    if not hex then
      why = err
      return false
    end
    content[i] = hex
    return true
  end)
  if ztl.canceled() then
    return ztl.warn("canceled")
  end
  if not done then
    return ztl.fail(why)
  end
  zt.log_debug("EEPROM: " .. table.concat(content))
  zt.set_status_ok(string.format("%d bytes, first %s", pages * 32, string.sub(content[1], 1, 8)))
  return true
end)

register_test("Temperature plausible", function()
  local i2c = devices.i2c
  if i2c == nil then
    return ztl.fail("the adapter has no I2C bus")
  end
  local hex, err = ztl.i2c_read_hex(i2c, 0x48, 2)
  if not hex then
    return ztl.fail(err)
  end
  local raw = tonumber(hex, 16)
  if raw >= 32768 then
    raw = raw - 65536
  end
  local celsius = raw / 256
  print("temperature", celsius)
  if not ztl.expect_range(celsius, -20, 60, "temperature") then
    return false
  end
  zt.set_status_ok(string.format("%.1f C", celsius))
  return true
end)

-- Needs a person at the bench; without one the question is cancelled and the test warns.
register_test("Operator: unit label", function()
  if type(zt.ask_user) ~= "function" then
    return ztl.warn("this runner cannot ask the operator")
  end
  local reply = zt.ask_user("Type the serial number printed on the unit's label.", { "Serial number" })
  if reply == nil then
    return ztl.warn("no operator answer")
  end
  local serial = reply["Serial number"] or reply[1]
  if type(serial) ~= "string" or not string.find(serial, "%w") then
    return ztl.fail("no serial number given")
  end
  zt.log_notice("unit label: " .. serial)
  zt.set_status_ok(serial)
  return true
end)
