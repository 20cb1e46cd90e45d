#pragma once

#include "core/system/broadcast_engine.h"

namespace orvessa::system {

// What a test sets up in the station's state directly, where driving it there through its
// commands would bury the rule under test. Programs never do this: their writers are given
// their pieces by the assembly.
struct StationTestAccess {
    static playback::BroadcastSession& session(BroadcastEngine& e) { return e.m_session; }
    static store::SystemConfig& config(BroadcastEngine& e) { return e.m_config; }
    static store::LiveSettings& settings(BroadcastEngine& e) { return e.m_settings; }
    static StopDayState& stopDay(BroadcastEngine& e) { return e.m_stopDay; }
};

}  // namespace orvessa::system
