#pragma once

// The period of the main window's tick, which drives the whole program: every camera is read,
// supervised and drawn, the requests are served and the recordings kept once per tick, and every
// time counted in ticks (stall, motion window, housekeeping) counts in steps of it.
inline constexpr int tickMs = 40;
