#include <windows.h>
#include <commctrl.h>

#include "platform/win32/unique_handle.h"

namespace kavo {

void ImageListTraits::Close(Pointer h) noexcept {
    ImageList_Destroy(static_cast<HIMAGELIST>(h));
}

}  // namespace kavo
