// The engine's host as the program gives it, in its window and for /run alike.
#pragma once

#include "engine/script_engine.h"
#include "platform/platform.h"

namespace kavo {

// A block being collected dispatches the thread's pending messages; an outermost run holds fine
// timer resolution; each statement asks the calling thread's run whether it may go on (and
// notes its line); a fault is shown in a message box captioned "脚本错误". wait and system
// must outlive the engine's runs.
EngineHost ProgramEngineHost(WaitPort& wait, SystemPort& system);

}  // namespace kavo
