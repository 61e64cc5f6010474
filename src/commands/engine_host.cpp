#include "commands/engine_host.h"

#include "commands/script_run.h"

namespace kavo {

EngineHost ProgramEngineHost(WaitPort& wait, SystemPort& system) {
    EngineHost host;
    host.pump = [&wait] { wait.ProcessPendingEvents(); };
    host.reportFault = [&system](const ScriptFault& fault) {
        system.ShowMessageBox(fault.message, "脚本错误",
                              MessageBoxOption::Warning | MessageBoxOption::TaskModal);
    };
    host.statementGate = CurrentRunMayGoOn;
    host.runBegin = [&wait] { wait.BeginPreciseTiming(); };
    host.runEnd = [&wait] { wait.EndPreciseTiming(); };
    return host;
}

}  // namespace kavo
