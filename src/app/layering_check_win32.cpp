// Linked with every layer below the app and nothing of the app (see the top CMakeLists): it
// builds only while no feature reaches up into the app.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return 0;
}
