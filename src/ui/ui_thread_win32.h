// The one road to the user-interface thread: a message sent to a message-only window, carrying a
// callable. Anything that touches a window from another thread goes this way.
#pragma once

#include <functional>

namespace kavo {

// Once, on the user-interface thread, before any other thread may call RunOnUiThread.
void StartUiThreadDispatcher();
bool OnUiThread();
// Runs work on the user-interface thread and returns when it has finished. On that thread it
// runs at once. Exceptions do not cross: one thrown by work is swallowed on the UI thread.
void RunOnUiThread(const std::function<void()>& work);

}  // namespace kavo
