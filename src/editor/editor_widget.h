// The script editor as the features that are not the editor see it: whole texts in GBK with
// CR LF line ends. Narrow, so that their logic runs against fakes in native tests.
#pragma once

#include <string>

#include "text/encoding.h"
#include "text/runtime_text.h"

namespace kavo {

// The script editor, as whole texts in GBK with CR LF line ends.
class EditorWidget {
  public:
    virtual ~EditorWidget() = default;
    virtual RuntimeText ReadText() = 0;
    virtual void ReplaceText(const RuntimeText& text) = 0;
    // The same text in UTF-8, for pages kept in UTF-8: an editor that holds characters GBK has
    // no room for gives them through here unchanged. These defaults go through GBK.
    virtual std::string ReadUtf8Text() { return GbkToUtf8(ReadText()); }
    virtual void ReplaceUtf8Text(const std::string& text) { ReplaceText(Utf8ToGbk(text)); }
};

}  // namespace kavo
