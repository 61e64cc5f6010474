#include "app/features_win32.h"

#include "library/library_commands_win32.h"
#include "app/library_loading_win32.h"
#include "app/dpi_change_win32.h"

#include "appearance/appearance_win32.h"

#include "editor/editor_commands_win32.h"

namespace kavo {

// One line per feature, each declared in its own header.
void InstallFeatures(MainWindowServices& services) {
    InstallLibraryCommands(services);
    InstallLibraryLoading(services);
    InstallDpiChange(services);
    InstallAppearance(services);
    InstallEditorCommands(services);
    (void)services;
}

}  // namespace kavo
