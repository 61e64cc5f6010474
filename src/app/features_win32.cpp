#include "app/features_win32.h"

namespace kavo {

// One line per feature, each declared in its own header.
void InstallFeatures(MainWindowServices& services) {
    (void)services;
}

}  // namespace kavo
