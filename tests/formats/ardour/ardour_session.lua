-- Our VST3 plug-in inside a headless Ardour session, run by ardour_host_test.sh through Ardour's Lua
-- session tool: dummy audio backend feeding uniform white noise, two stereo tracks on the same inputs
-- (one with our plug-in, one plain as the input reference), transport rolling, the tracks' post-fader
-- peak meters read per channel.
--
-- Usage: ardour<N>-lua ardour_session.lua <session folder> <plug-in name> <vendor>
-- Prints "CHECK ok ..." or "CHECK FAIL ..." per check and, at the end,
-- "ardour-host summary: N checks ok, M checks failed"; the shell script decides on those lines.

local session_dir, plugin_name, vendor = arg[1], arg[2], arg[3]

local passed, failed = 0, 0
local function check(ok, what)
    if ok then
        passed = passed + 1
        print("CHECK ok   " .. what)
    else
        failed = failed + 1
        print("CHECK FAIL " .. what)
    end
    return ok
end

local function finish()
    print(string.format("ardour-host summary: %d checks ok, %d checks failed", passed, failed))
end

local function fmt(db) return string.format("%.2f dB", db) end
local function is_nan(v) return v ~= v end

-- A meter reading is usable when it is a number that is not NaN and not above +6 dBFS (the input is
-- white noise at about -16 dBFS peak, so anything above that means a blow-up).
local function sane(db) return type(db) == "number" and not is_nan(db) and db <= 6.0 end

local backend = AudioEngine:set_backend("None (Dummy)", "Normal Speed", "")
if not check(backend ~= nil, "dummy audio backend selected") then finish() return end
backend:set_device_name("Uniform White Noise")

local s = create_session(session_dir, "latiphonix-host", 48000)
if not check(s ~= nil, "session created in " .. session_dir) then finish() return end
check(AudioEngine:running(), "audio engine running")

-- Ardour found our bundle through its VST3 search path and the scanner's cache.
local listed = nil
for p in ARDOUR.LuaAPI.list_plugins():iter() do
    if p.type == ARDOUR.PluginType.VST3 and p.name == plugin_name then listed = p end
end
if not check(listed ~= nil, "plug-in listed by Ardour as VST3 '" .. plugin_name .. "'") then finish() return end
check(listed.creator == vendor, "listed vendor is '" .. vendor .. "' (got '" .. tostring(listed.creator) .. "')")

local tracks = s:new_audio_track(2, 2, nil, 2, "Track", ARDOUR.PresentationInfo.max_order,
                                 ARDOUR.TrackMode.Normal, true)
if not check(tracks:size() == 2, "two stereo audio tracks created") then finish() return end
local fx, ref = tracks:front(), tracks:back()

local proc = ARDOUR.LuaAPI.new_plugin(s, plugin_name, ARDOUR.PluginType.VST3, "")
if not check(not proc:isnil(), "plug-in instantiated") then finish() return end
if not check(fx:add_processor_by_index(proc, 0, nil, true) == 0, "plug-in added to the track") then finish() return end

local insert = proc:to_insert()
local plug = insert:plugin(0)
check(plug:maker() == vendor, "instance vendor '" .. tostring(plug:maker()) .. "'")
check(insert:input_streams():n_audio() == 2 and insert:output_streams():n_audio() == 2,
      "plug-in runs 2 in / 2 out")
-- 29 product parameters plus the bypass.
check(plug:parameter_count() == 30, "30 parameters published (got " .. plug:parameter_count() .. ")")

local function find_param(label)
    for j = 0, plug:parameter_count() - 1 do
        if plug:parameter_label(j) == label then return j end
    end
    return nil
end
local balance = find_param("Output Balance")
local mono = find_param("Output To Mono")
if not check(balance ~= nil and plug:parameter_is_input(balance), "'Output Balance' is a settable parameter")
   or not check(mono ~= nil and plug:parameter_is_input(mono), "'Output To Mono' is a settable parameter") then
    finish()
    return
end
local balance_start = ARDOUR.LuaAPI.get_plugin_insert_param(insert, balance)
check(math.abs(balance_start - 0.5) < 1e-3, "'Output Balance' starts centred (got " .. balance_start .. ")")

-- Both tracks listen to their inputs (the same two noise channels), whatever the transport does.
for _, t in ipairs({fx, ref}) do
    t:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorInput, PBD.GroupControlDisposition.NoGroup)
end
local connected = true
for _, t in ipairs({fx, ref}) do
    for c = 0, 1 do
        connected = connected and t:input():nth(c):connected()
    end
end
check(connected, "both tracks' inputs are connected to the noise source")

s:request_roll(ARDOUR.TransportRequestSource.TRS_UI)

-- Highest peak per channel over `seconds` (reset first), in dBFS: {fx L, fx R, ref L, ref R}.
local function measure(seconds)
    fx:peak_meter():reset_max()
    ref:peak_meter():reset_max()
    ARDOUR.LuaAPI.usleep(math.floor(seconds * 1e6))
    local out = {}
    for _, t in ipairs({fx, ref}) do
        for c = 0, 1 do
            out[#out + 1] = t:peak_meter():meter_level(c, ARDOUR.MeterType.MeterMaxPeak)
        end
    end
    print(string.format("  peaks: plug-in L %s R %s | input L %s R %s", fmt(out[1]), fmt(out[2]), fmt(out[3]),
                        fmt(out[4])))
    return out
end

local function set_param(index, value, label)
    check(ARDOUR.LuaAPI.set_plugin_insert_param(insert, index, value), "set '" .. label .. "' to " .. value)
    local back = ARDOUR.LuaAPI.get_plugin_insert_param(insert, index)
    check(math.abs(back - value) < 1e-3, "'" .. label .. "' reads back " .. back)
end

-- Let the factory preset's smoothing settle, then measure the default sound.
ARDOUR.LuaAPI.usleep(1500000)
check(s:transport_rolling(), "transport rolling")
local p = measure(1.0)
for c = 3, 4 do
    check(sane(p[c]) and p[c] > -30.0, "input channel " .. (c - 2) .. " carries noise: " .. fmt(p[c]))
end
for c = 1, 2 do
    local name = c == 1 and "left" or "right"
    local input = p[c + 2]
    check(sane(p[c]), "default output " .. name .. " is a sane level: " .. fmt(p[c]))
    check(p[c] > input - 12.0 and p[c] < input + 12.0,
          "default output " .. name .. " within 12 dB of its input: " .. fmt(p[c]) .. " vs " .. fmt(input))
end

-- Balance fully right: the left channel goes silent, the right one keeps the signal.
set_param(balance, 1.0, "Output Balance")
ARDOUR.LuaAPI.usleep(500000)
p = measure(1.0)
check(is_nan(p[1]) == false and p[1] < -90.0, "balance 1.0: left output silent: " .. fmt(p[1]))
check(sane(p[2]) and p[2] > p[4] - 12.0, "balance 1.0: right output carries the signal: " .. fmt(p[2]))
check(sane(p[3]) and p[3] > -30.0, "balance 1.0: the reference track's left input still carries noise")

-- Back to centre: both channels carry signal again.
set_param(balance, 0.5, "Output Balance")
ARDOUR.LuaAPI.usleep(500000)
p = measure(1.0)
check(sane(p[1]) and p[1] > p[3] - 12.0, "balance 0.5: left output back: " .. fmt(p[1]))
check(sane(p[2]) and p[2] > p[4] - 12.0, "balance 0.5: right output carries the signal: " .. fmt(p[2]))

-- Output to mono: once the width has glided (about 2.1 s at 48 kHz), both channels are identical, so
-- their highest peaks over the same second are equal.
set_param(mono, 1.0, "Output To Mono")
ARDOUR.LuaAPI.usleep(3000000)
p = measure(1.0)
check(sane(p[1]) and sane(p[2]) and p[1] > -40.0, "mono: output carries signal: " .. fmt(p[1]))
check(math.abs(p[1] - p[2]) < 0.01, "mono: left and right peaks equal: " .. fmt(p[1]) .. " vs " .. fmt(p[2]))

s:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
finish()
