--[=[
contract.lua - the functions the test runner calls, and the test registry.

The runner hands every sub-device's handle to set_device_handle; they are kept in `devices`
under their variable names (devices.serial, devices.gpio, devices.i2c). Tests are kept in
`tests`, a list of { name = ..., fn = ... } in the order they are shown. The local fall-back
tests and the unit's own package both fill it with register_test; the package calls
clear_tests first so that only its own tests are offered. A package may also redefine
zt_enumerate_tests and zt_exec_test altogether.

A test function reports through zt.set_status_* and returns true, or false when it failed.
A test that returns false ends in error even when it set no status itself.
]=]

devices = devices or {}
tests = tests or {}

-- Output lines switched to a known state before the first test and after the last one.
local OUTPUT_LINES = { "OUT1", "OUT2", "OUT3", "OUT4", "LED" }

local running_test = nil

function clear_tests()
  for i = #tests, 1, -1 do
    tests[i] = nil
  end
end

-- A name given twice keeps its place and takes the newer function, so a package can
-- override a local test of the same name.
function register_test(name, fn)
  if type(name) ~= "string" or name == "" then
    error("register_test: test name must be a non-empty string", 2)
  end
  if type(fn) ~= "function" then
    error("register_test: test '" .. name .. "' needs a function", 2)
  end
  for _, t in ipairs(tests) do
    if t.name == name then
      t.fn = fn
      return
    end
  end
  tests[#tests + 1] = { name = name, fn = fn }
end

function find_test(name)
  for _, t in ipairs(tests) do
    if t.name == name then
      return t
    end
  end
  return nil
end

function set_device_handle(name, handle)
  if type(name) ~= "string" or name == "" then
    zt.log_err("set_device_handle: sub-device without a name")
    return false
  end
  if type(handle) ~= "userdata" then
    zt.log_err("set_device_handle: no handle for sub-device '" .. name .. "'")
    return false
  end
  devices[name] = handle
  zt.log_debug("sub-device '" .. name .. "' ready")
  return true
end

local function set_outputs(ignition)
  local gpio = devices.gpio
  if gpio == nil then
    return
  end
  for _, line in ipairs(OUTPUT_LINES) do
    if not zt.gpio.set(gpio, line, false) then
      zt.log_warn("cannot reset output " .. line)
    end
  end
  if not zt.gpio.set(gpio, "IGN", ignition) then
    zt.log_warn("cannot switch ignition " .. (ignition and "on" or "off"))
  end
end

function init_test_env()
  if devices.serial == nil then
    zt.log_err("no serial line: cannot test this unit")
    return false
  end
  -- The unit plug-in's functions take their cancel query from call_ctx; without it a
  -- unit command would run to its time-out after the operator cancelled.
  if type(call_ctx) ~= "userdata" then
    zt.log_warn("no call context: unit commands cannot be canceled")
  end
  -- The unit runs its application only with the ignition on.
  set_outputs(true)
  zt.log_notice(string.format("test environment ready (%d tests)", #tests))
  return true
end

function deinit_test_env()
  set_outputs(false)
  zt.log_notice("test environment closed")
  return true
end

-- A restart in the middle of a test would leave the unit half-configured.
function is_restart_allowed(arg)
  if running_test ~= nil then
    zt.log_warn(string.format("restart (%s) refused: test '%s' is running", tostring(arg), running_test))
    return false
  end
  return true
end

function zt_enumerate_tests()
  local names = {}
  for _, t in ipairs(tests) do
    names[#names + 1] = t.name
  end
  return names
end

function zt_exec_test(name)
  local t = find_test(name)
  if t == nil then
    zt.set_status_err("unknown test '" .. tostring(name) .. "'")
    return false
  end
  running_test = name
  local ok, result = pcall(t.fn)
  running_test = nil
  if not ok then
    zt.set_status_err("script error: " .. tostring(result))
    return false
  end
  if result == false then
    -- Without a text, so that the reason the test gave stays in the details.
    zt.set_status_err()
    return false
  end
  return true
end
