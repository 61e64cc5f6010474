// The help panel's ten buttons: each shows its command's usage text in the help box, at the
// box height that text wants.
#pragma once

#include "shell/main_window_services_win32.h"

namespace kavo {

class HelpPanel {
  public:
    explicit HelpPanel(MainWindowServices& services);
    HelpPanel(const HelpPanel&) = delete;
    HelpPanel& operator=(const HelpPanel&) = delete;

  private:
    MainWindowServices& services_;
};

}  // namespace kavo
