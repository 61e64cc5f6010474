// The script editor as the features that are not the editor see it: whole texts in GBK with
// CR LF line ends. Narrow, so that their logic runs against fakes in native tests.
#pragma once

#include "text/runtime_text.h"

namespace kavo {

// The script editor, as whole texts in GBK with CR LF line ends.
class EditorWidget {
  public:
    virtual ~EditorWidget() = default;
    virtual RuntimeText ReadText() = 0;
    virtual void ReplaceText(const RuntimeText& text) = 0;
};

}  // namespace kavo
