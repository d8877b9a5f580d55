-- Our VST3 plug-in inside a headless Ardour session, run by ardour_host_test.sh through Ardour's Lua
-- session tool: dummy audio backend feeding uniform white noise, two stereo tracks on the same inputs
-- (one with our plug-in, one plain as the input reference), transport rolling, the tracks' post-fader
-- peak meters read per channel.
--
-- Two runs, each in its own process (Ardour 7's Lua tool hangs on exit after closing and reopening a
-- session in the same process):
--   create: builds the session, checks the sound with parameters set from Lua, plays an automation
--           list on "Output Balance", then leaves distinctive settings in place, measures that sound and
--           saves the session. Its last output lines include "ardour-host reference: <dB>", the right
--           channel's peak with those settings.
--   reload: opens the saved session (a fresh plug-in instance restored from the session file), checks
--           the parameters and the automation list came back, and that the sound matches <dB>.
--
-- Usage: ardour<N>-lua ardour_session.lua <session folder> <plug-in name> <vendor> create
--        ardour<N>-lua ardour_session.lua <session folder> <plug-in name> <vendor> reload <dB>
-- Prints "CHECK ok ..." or "CHECK FAIL ..." per check and, at the end,
-- "ardour-host summary: N checks ok, M checks failed"; the shell script decides on those lines.

local session_dir, plugin_name, vendor = arg[1], arg[2], arg[3]
local phase = arg[4] or "create"
local reference_right = tonumber(arg[5] or "")
local session_name = "latiphonix-host"

-- The settings saved by the create run and expected back by the reload run (normalised values).
local saved_balance, saved_mono, saved_speed = 1.0, 1.0, 0.25
-- The automation list on "Output Balance", in seconds after the point where it is written: centred
-- from the start, then a 0.1 s ramp to fully right.
local auto_points = { { 0.0, 0.5 }, { 4.0, 0.5 }, { 4.1, 1.0 } }

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

-- The session and, once found, the plug-in's track, the reference track, the insert and its plug-in.
local s, fx, ref, proc, insert, plug

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

local function find_param(label)
    for j = 0, plug:parameter_count() - 1 do
        if plug:parameter_label(j) == label then return j end
    end
    return nil
end

local function get_param(index) return ARDOUR.LuaAPI.get_plugin_insert_param(insert, index) end

local function set_param(index, value, label)
    check(ARDOUR.LuaAPI.set_plugin_insert_param(insert, index, value), "set '" .. label .. "' to " .. value)
    local back = get_param(index)
    check(math.abs(back - value) < 1e-3, "'" .. label .. "' reads back " .. back)
end

-- The automation control of a plug-in parameter and its event list.
local function automation(index)
    local ac = insert:to_automatable():automation_control(
        Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, index), false)
    local _, cl, _ = ARDOUR.LuaAPI.plugin_automation(proc, index)
    return ac, cl
end

-- Waits (up to 20 s) until the transport has passed `sample`.
local function wait_for_position(sample, what)
    for _ = 1, 400 do
        if s:transport_sample() >= sample then break end
        ARDOUR.LuaAPI.usleep(50000)
    end
    return check(s:transport_sample() >= sample, "transport reached " .. what)
end

local function tracks_listen_to_input()
    local connected = true
    for _, t in ipairs({fx, ref}) do
        for c = 0, 1 do
            connected = connected and t:input():nth(c):connected()
        end
    end
    check(connected, "both tracks' inputs are connected to the noise source")
end

local function check_plugin_shape()
    check(plug:maker() == vendor, "instance vendor '" .. tostring(plug:maker()) .. "'")
    check(insert:input_streams():n_audio() == 2 and insert:output_streams():n_audio() == 2,
          "plug-in runs 2 in / 2 out")
    -- 29 product parameters plus the bypass.
    check(plug:parameter_count() == 30, "30 parameters published (got " .. plug:parameter_count() .. ")")
end

if phase == "reload" then
    ---------------------------------------------------------------------------------------------------
    -- The saved session, opened by a fresh process.
    if not check(reference_right ~= nil, "reference level given (got '" .. tostring(arg[5]) .. "')") then
        finish()
        return
    end
    s = load_session(session_dir, session_name)
    if not check(s ~= nil, "saved session opened from " .. session_dir) then finish() return end
    check(AudioEngine:running(), "audio engine running")

    for r in s:get_tracks():iter() do
        local p0 = r:nth_plugin(0)
        if not p0:isnil() and not p0:to_insert():isnil() and p0:to_insert():plugin(0):name() == plugin_name then
            fx, proc = r, p0
        elseif p0:isnil() then
            ref = r
        end
    end
    if not check(fx ~= nil, "the track with '" .. plugin_name .. "' came back")
       or not check(ref ~= nil, "the reference track came back") then
        finish()
        return
    end
    insert = proc:to_insert()
    plug = insert:plugin(0)
    check(insert:type() == ARDOUR.PluginType.VST3, "the restored plug-in is the VST3 one")
    check_plugin_shape()

    local balance = find_param("Output Balance")
    local mono = find_param("Output To Mono")
    local speed = find_param("Dynamics Speed")
    if not check(balance ~= nil and mono ~= nil and speed ~= nil, "parameters found by name") then
        finish()
        return
    end
    for _, v in ipairs({ { balance, saved_balance, "Output Balance" }, { mono, saved_mono, "Output To Mono" },
                         { speed, saved_speed, "Dynamics Speed" } }) do
        local back = get_param(v[1])
        check(math.abs(back - v[2]) < 1e-3, "'" .. v[3] .. "' restored as " .. v[2] .. " (got " .. back .. ")")
    end

    -- The automation list on "Output Balance" came back with its points, switched off as saved.
    local ac, cl = automation(balance)
    check(ac:automation_state() == ARDOUR.AutoState.Off, "'Output Balance' automation restored as off (got " ..
          tostring(ac:automation_state()) .. ")")
    check(cl:size() == #auto_points, "'Output Balance' automation restored with " .. #auto_points ..
          " points (got " .. cl:size() .. ")")
    local values = {}
    for ev in cl:events():iter() do values[#values + 1] = ev.value end
    local same = #values == #auto_points
    for i = 1, math.min(#values, #auto_points) do
        same = same and math.abs(values[i] - auto_points[i][2]) < 1e-3
    end
    check(same, "'Output Balance' automation points keep their values")

    tracks_listen_to_input()
    s:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
    -- Wait as long as the width glide of the mono switch lasts, in case the restored state starts one.
    ARDOUR.LuaAPI.usleep(3000000)
    check(s:transport_rolling(), "transport rolling")
    local p = measure(1.0)
    check(sane(p[3]) and p[3] > -30.0, "input channel 1 carries noise: " .. fmt(p[3]))
    check(is_nan(p[1]) == false and p[1] < -90.0, "restored: left output silent: " .. fmt(p[1]))
    check(sane(p[2]) and p[2] > p[4] - 12.0, "restored: right output carries the signal: " .. fmt(p[2]))
    check(sane(p[2]) and math.abs(p[2] - reference_right) < 3.0,
          "restored: right output within 3 dB of the level before saving: " .. fmt(p[2]) .. " vs " ..
          fmt(reference_right))

    s:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
    finish()
    return
end

-------------------------------------------------------------------------------------------------------
-- A new session.
s = create_session(session_dir, session_name, 48000)
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
fx, ref = tracks:front(), tracks:back()

proc = ARDOUR.LuaAPI.new_plugin(s, plugin_name, ARDOUR.PluginType.VST3, "")
if not check(not proc:isnil(), "plug-in instantiated") then finish() return end
if not check(fx:add_processor_by_index(proc, 0, nil, true) == 0, "plug-in added to the track") then finish() return end

insert = proc:to_insert()
plug = insert:plugin(0)
check_plugin_shape()

local balance = find_param("Output Balance")
local mono = find_param("Output To Mono")
local speed = find_param("Dynamics Speed")
if not check(balance ~= nil and plug:parameter_is_input(balance), "'Output Balance' is a settable parameter")
   or not check(mono ~= nil and plug:parameter_is_input(mono), "'Output To Mono' is a settable parameter")
   or not check(speed ~= nil and plug:parameter_is_input(speed), "'Dynamics Speed' is a settable parameter") then
    finish()
    return
end
local balance_start = get_param(balance)
check(math.abs(balance_start - 0.5) < 1e-3, "'Output Balance' starts centred (got " .. balance_start .. ")")

-- Both tracks listen to their inputs (the same two noise channels), whatever the transport does.
for _, t in ipairs({fx, ref}) do
    t:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorInput, PBD.GroupControlDisposition.NoGroup)
end
tracks_listen_to_input()

s:request_roll(ARDOUR.TransportRequestSource.TRS_UI)

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

-- Automation (mono stays on): an automation list on "Output Balance", played while the transport rolls.
-- Measurements are placed by transport position, not by wall-clock time.
local rate = s:nominal_sample_rate()
local ac, cl = automation(balance)
check(not ac:isnil() and ac:name() == "Output Balance", "automation control of 'Output Balance' found")
local t0 = s:transport_sample() + math.floor(0.2 * rate)
local function at(seconds) return t0 + math.floor(seconds * rate) end
for _, pt in ipairs(auto_points) do
    cl:add(Temporal.timepos_t(at(pt[1])), pt[2], false, false)
end
check(cl:size() == #auto_points, "automation list holds " .. #auto_points .. " points (got " .. cl:size() .. ")")
ac:set_automation_state(ARDOUR.AutoState.Play)
check(ac:automation_state() == ARDOUR.AutoState.Play, "'Output Balance' automation set to play")

-- Before the ramp: centred, both channels carry the signal.
wait_for_position(at(auto_points[1][1] + 0.5), "the centred part of the automation")
p = measure(1.0)
local before_value = get_param(balance)
check(s:transport_sample() < at(auto_points[2][1]), "that measurement ended before the ramp")
check(math.abs(before_value - 0.5) < 1e-3, "automation before the ramp: 'Output Balance' is " .. before_value)
check(sane(p[1]) and p[1] > p[3] - 12.0, "automation before the ramp: left output carries the signal: " .. fmt(p[1]))
check(sane(p[2]) and p[2] > p[4] - 12.0, "automation before the ramp: right output carries the signal: " .. fmt(p[2]))

-- After the ramp (plus time for the plug-in's smoothing): fully right, the left channel silent.
wait_for_position(at(auto_points[3][1] + 0.5), "the fully-right part of the automation")
p = measure(1.0)
local after_value = get_param(balance)
check(math.abs(after_value - 1.0) < 1e-3, "automation after the ramp: 'Output Balance' is " .. after_value)
check(is_nan(p[1]) == false and p[1] < -90.0, "automation after the ramp: left output silent: " .. fmt(p[1]))
check(sane(p[2]) and p[2] > p[4] - 12.0, "automation after the ramp: right output carries the signal: " .. fmt(p[2]))

-- The state to save: automation off (the list stays), balance fully right by hand, mono on, and a
-- "Dynamics Speed" value that does not change the sound while the dynamics are off.
ac:set_automation_state(ARDOUR.AutoState.Off)
check(ac:automation_state() == ARDOUR.AutoState.Off, "'Output Balance' automation switched off")
set_param(balance, saved_balance, "Output Balance")
set_param(speed, saved_speed, "Dynamics Speed")
check(math.abs(get_param(mono) - saved_mono) < 1e-3, "'Output To Mono' still on")
ARDOUR.LuaAPI.usleep(500000)
p = measure(1.0)
check(is_nan(p[1]) == false and p[1] < -90.0, "saved settings: left output silent: " .. fmt(p[1]))
check(sane(p[2]) and p[2] > p[4] - 12.0, "saved settings: right output carries the signal: " .. fmt(p[2]))

s:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
check(s:save_state("", false, false, false, false, false) == 0, "session saved")
local file = io.open(session_dir .. "/" .. session_name .. ".ardour", "r")
check(file ~= nil, "session file written")
if file then file:close() end
if sane(p[2]) then print(string.format("ardour-host reference: %.3f", p[2])) end
finish()
