--[=[
ztlib.lua - helpers shared by the local test scripts and the unit's test package.

Everything lives in the table `ztl`; nothing here touches the hardware unless called.

  ztl.expect(cond, msg)            false (and status error with msg) unless cond holds
  ztl.in_range(v, lo, hi, what)    true when lo <= v <= hi; otherwise false and a reason text
  ztl.expect_range(v, lo, hi, what)  in_range + expect in one call
  ztl.to_hex(bytes)                "\1\171" -> "01ab"
  ztl.from_hex(text)               "01ab" -> "\1\171"; nil and a reason for bad text
  ztl.fail(msg)                    status error with msg, returns false (tail-call it)
  ztl.warn(msg)                    status warning with msg, returns true
  ztl.canceled()                   true when the operator asked to cancel the running test
  ztl.with_progress(steps, fn)     calls fn(i) for i = 1..steps with progress in percent;
                                   stops at the first fn that returns false or on cancel;
                                   returns true only when every step passed
  ztl.serial_command(h, cmd [, timeout_ms [, prompt]])
                                   writes cmd plus CR LF on the serial handle and collects the
                                   answer until the prompt (default "> " at the end of the text)
                                   or until the unit stays silent for the time-out; returns the answer without the echoed
                                   command and the prompt, or nil and a reason
  ztl.unit_command(cmd [, timeout_ms])
                                   a unit command through the unit plug-in's Lua function
                                   unit.command when present (it takes the operator's cancel
                                   from the global call_ctx), else through the serial command
                                   line; answer or nil, reason
  ztl.number_after(text, key)      the first number after key in text ("VBAT=12.6" -> 12.6)
  ztl.i2c_write_hex(h, addr, hex)  writes the bytes given as hex; true or false, reason
  ztl.i2c_read_hex(h, addr, count) reads count bytes; hex text or nil, reason

Every helper returns its failure instead of raising, so a test decides what a failure means.
]=]

ztl = ztl or {}

ztl.DEFAULT_TIMEOUT_MS = 2000
ztl.DEFAULT_PROMPT = "> "
-- Reads are done in small slices so that a cancel request is seen quickly.
ztl.READ_SLICE_MS = 100
-- No answer of the unit's command line is anywhere near this long; a runaway line is cut.
ztl.MAX_ANSWER = 16384

function ztl.fail(msg)
  zt.set_status_err(msg or "failed")
  return false
end

function ztl.warn(msg)
  zt.set_status_warn(msg or "warning")
  return true
end

function ztl.expect(cond, msg)
  if cond then
    return true
  end
  return ztl.fail(msg)
end

function ztl.in_range(value, lo, hi, what)
  what = what or "value"
  if type(value) ~= "number" or value ~= value then
    return false, string.format("%s is not a number (%s)", what, tostring(value))
  end
  if value < lo or value > hi then
    return false, string.format("%s %s out of range [%s, %s]", what, tostring(value),
                                tostring(lo), tostring(hi))
  end
  return true
end

function ztl.expect_range(value, lo, hi, what)
  local ok, why = ztl.in_range(value, lo, hi, what)
  return ztl.expect(ok, why)
end

function ztl.to_hex(bytes)
  return (string.gsub(bytes or "", ".", function(c)
    return string.format("%02x", string.byte(c))
  end))
end

function ztl.from_hex(text)
  if type(text) ~= "string" then
    return nil, "hex text expected"
  end
  local clean = string.gsub(text, "%s", "")
  if #clean % 2 ~= 0 then
    return nil, "odd number of hex digits"
  end
  if string.find(clean, "[^%x]") then
    return nil, "not a hex digit in '" .. text .. "'"
  end
  return (string.gsub(clean, "%x%x", function(pair)
    return string.char(tonumber(pair, 16))
  end))
end

function ztl.canceled()
  return zt.was_canceled() == true
end

function ztl.with_progress(steps, fn)
  steps = math.floor(tonumber(steps) or 0)
  if steps < 1 then
    zt.progress(100)
    return true
  end
  zt.progress(0)
  for i = 1, steps do
    if ztl.canceled() then
      return false
    end
    if fn(i) == false then
      return false
    end
    zt.progress(math.floor(i * 100 / steps))
  end
  return true
end

local function ends_with(text, suffix)
  return suffix == "" or string.sub(text, -#suffix) == suffix
end

-- Strips the echo of the command (the unit's command line echoes what it is sent), the
-- prompt and the surrounding line breaks.
local function clean_answer(raw, cmd, prompt)
  local text = raw
  if prompt ~= "" and ends_with(text, prompt) then
    text = string.sub(text, 1, #text - #prompt)
  end
  local echo_start, echo_end = string.find(text, cmd, 1, true)
  if echo_start == 1 or (echo_start and not string.find(string.sub(text, 1, echo_start - 1), "%S")) then
    text = string.sub(text, echo_end + 1)
  end
  text = string.gsub(text, "^[\r\n]+", "")
  text = string.gsub(text, "[\r\n%s]+$", "")
  return text
end

function ztl.serial_command(handle, cmd, timeout_ms, prompt)
  if handle == nil then
    return nil, "no serial handle"
  end
  timeout_ms = timeout_ms or ztl.DEFAULT_TIMEOUT_MS
  prompt = prompt or ztl.DEFAULT_PROMPT
  -- Drop whatever the unit printed before, so it is not taken for the answer.
  zt.serial_flush(handle)
  local line = cmd .. "\r\n"
  local ok, written = zt.serial_write(handle, line)
  if not ok or written ~= #line then
    return nil, string.format("cannot write '%s' (%s of %d bytes)", cmd, tostring(written), #line)
  end
  local answer = ""
  local waited = 0
  while waited < timeout_ms do
    local slice = math.min(ztl.READ_SLICE_MS, timeout_ms - waited)
    local rok, count, data = zt.serial_read(handle, 256, slice)
    if not rok then
      return nil, string.format("cannot read the answer to '%s'", cmd)
    end
    if count > 0 then
      answer = answer .. data
      if #answer > ztl.MAX_ANSWER then
        return nil, string.format("answer to '%s' too long", cmd)
      end
      if prompt ~= "" and ends_with(answer, prompt) then
        return clean_answer(answer, cmd, prompt)
      end
      -- The time-out counts silence only: a long answer that keeps coming is still read
      -- (MAX_ANSWER bounds it).
      waited = 0
    else
      waited = waited + slice
    end
    if ztl.canceled() then
      return nil, "canceled"
    end
  end
  if prompt == "" and answer ~= "" then
    return clean_answer(answer, cmd, prompt)
  end
  return nil, string.format("no answer to '%s' within %d ms", cmd, timeout_ms)
end

function ztl.unit_command(cmd, timeout_ms)
  timeout_ms = timeout_ms or ztl.DEFAULT_TIMEOUT_MS
  if type(unit) == "table" and type(unit.command) == "function" then
    local answer, err = unit.command(cmd, timeout_ms)
    if answer == nil then
      return nil, err or string.format("no answer to '%s'", cmd)
    end
    return answer
  end
  local serial = type(devices) == "table" and devices.serial or nil
  return ztl.serial_command(serial, cmd, timeout_ms)
end

function ztl.number_after(text, key)
  if type(text) ~= "string" then
    return nil
  end
  local from = 1
  if key and key ~= "" then
    local _, e = string.find(text, key, 1, true)
    if not e then
      return nil
    end
    from = e + 1
  end
  local num = string.match(text, "[-+]?%d+%.?%d*", from)
  return num and tonumber(num) or nil
end

function ztl.i2c_write_hex(handle, address, hex)
  local bytes, why = ztl.from_hex(hex)
  if not bytes then
    return false, why
  end
  local ok, written = zt.i2c.write(handle, address, bytes)
  if not ok then
    return false, string.format("I2C write to 0x%02x failed", address)
  end
  if written ~= #bytes then
    return false, string.format("I2C write to 0x%02x: %d of %d bytes", address, written, #bytes)
  end
  return true
end

function ztl.i2c_read_hex(handle, address, count)
  local ok, got, data = zt.i2c.read(handle, address, count)
  if not ok or data == nil then
    return nil, string.format("I2C read from 0x%02x failed", address)
  end
  if got ~= count then
    return nil, string.format("I2C read from 0x%02x: %d of %d bytes", address, got, count)
  end
  return ztl.to_hex(data)
end
