// The table from menu command id to handler. Each feature registers the commands it owns when the
// main window is created; the main window only dispatches.
#pragma once

#include <functional>
#include <map>

namespace kavo {

class MenuCommands {
  public:
    using Handler = std::function<void()>;

    // A later registration for the same id replaces the earlier one.
    void Register(int commandId, Handler handler) { handlers_[commandId] = std::move(handler); }
    // The handler registered for the id, empty when none: for a feature that adds to another's.
    Handler Registered(int commandId) const {
        const auto found = handlers_.find(commandId);
        return found == handlers_.end() ? Handler() : found->second;
    }
    // False when no handler is registered for the id.
    bool Dispatch(int commandId) const {
        const auto found = handlers_.find(commandId);
        if (found == handlers_.end() || !found->second) return false;
        found->second();
        return true;
    }

  private:
    std::map<int, Handler> handlers_;
};

}  // namespace kavo
