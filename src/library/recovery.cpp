#include "library/recovery.h"

#include "library/content_folder.h"
#include "library/library_operations.h"
#include "library/page_names.h"
#include "text/encoding.h"

namespace kavo {
namespace {

constexpr std::string_view kHeader = "KAVO-RECOVERY 1\r\n";
constexpr std::string_view kPageField = "page: ";
constexpr std::string_view kLineEnd = "\r\n";

bool PageIsThere(Library& library, const Utf8Text& path) {
    return !path.empty() && LiesInside(library.contentRoot, path) &&
           library.files.ReadWholeFile(path).has_value();
}

}  // namespace

Utf8Text RecoveryFilePath(Library& library) {
    return library.files.ExecutableFolder() + "\\" + kRecoveryFileName;
}

std::string FormatRecovery(const RecoveredEdits& edits) {
    std::string bytes(kHeader);
    bytes.append(kPageField).append(edits.pagePath).append(kLineEnd);
    bytes.append(kLineEnd).append(edits.text);
    return bytes;
}

std::optional<RecoveredEdits> ParseRecovery(std::string_view bytes) {
    if (bytes.substr(0, kHeader.size()) != kHeader) return std::nullopt;
    bytes.remove_prefix(kHeader.size());
    if (bytes.substr(0, kPageField.size()) != kPageField) return std::nullopt;
    bytes.remove_prefix(kPageField.size());
    const std::size_t end = bytes.find(kLineEnd);
    if (end == std::string_view::npos) return std::nullopt;
    RecoveredEdits edits;
    edits.pagePath = Utf8Text(bytes.substr(0, end));
    bytes.remove_prefix(end + kLineEnd.size());
    if (bytes.substr(0, kLineEnd.size()) != kLineEnd) return std::nullopt;
    bytes.remove_prefix(kLineEnd.size());
    edits.text = Utf8Text(bytes);
    if (edits.pagePath.find('\0') != Utf8Text::npos || !IsWellFormedUtf8(edits.pagePath) ||
        !IsWellFormedUtf8(edits.text))
        return std::nullopt;
    return edits;
}

void KeepRecovery(Library& library) {
    if (!library.recoveryOffered) return;
    const Utf8Text path = RecoveryFilePath(library);
    // Never a page, whatever the folders are called.
    if (LiesInside(library.contentRoot, path)) return;
    if (!PageChanged(library)) {
        DiscardRecovery(library);
        return;
    }
    const LibraryState& state = library.state;
    const RecoveredEdits edits{state.editsWithoutPage ? Utf8Text() : state.loadedPagePath,
                               library.editor.ReadUtf8Text()};
    std::string bytes = FormatRecovery(edits);
    if (library.recoveryKept == bytes) return;
    if (library.files.ReplaceFileAtomically(path, bytes)) library.recoveryKept = std::move(bytes);
}

void DiscardRecovery(Library& library) {
    if (!library.recoveryOffered) return;
    const Utf8Text path = RecoveryFilePath(library);
    if (library.recoveryKept.empty() && !library.files.PathExists(path)) return;
    if (library.files.RemoveFile(path) || !library.files.PathExists(path))
        library.recoveryKept.clear();
}

std::optional<RecoveredEdits> ReadRecovery(Library& library) {
    library.recoveryOffered = true;
    const std::optional<std::string> bytes = library.files.ReadWholeFile(RecoveryFilePath(library));
    if (!bytes) return std::nullopt;
    return ParseRecovery(*bytes);
}

Utf8Text RecoveryQuestion(Library& library, const RecoveredEdits& edits) {
    Utf8Text where;
    if (edits.pagePath.empty())
        where = "（它们不属于任何页面，恢复后可按“保存”存为新页面）";
    else if (PageIsThere(library, edits.pagePath))
        where = "（页面“" + PageLabel(library, edits.pagePath) + "”）";
    else
        where = "（页面“" + PageLabel(library, edits.pagePath) +
                "”已不存在，恢复后可按“保存”存为新页面）";
    return "上次程序没有正常结束，编辑区中有没保存的修改" + where +
           "。是否恢复它们？选“取消”将丢弃这些修改。";
}

bool RestoreRecovery(Library& library, const RecoveredEdits& edits) {
    LibraryState& state = library.state;
    const bool pageThere = PageIsThere(library, edits.pagePath);
    if (pageThere) {
        LoadPage(library, edits.pagePath);
        ReselectLoadedPage(library);
    } else {
        PrepareForInsertedText(library);
        // A new page keeps every character: UTF-8 when GBK cannot hold them all.
        state.encoding =
            GbkToUtf8(Utf8ToGbk(edits.text)) == edits.text ? PageEncoding::Gbk : PageEncoding::Utf8;
    }
    library.editor.ReplaceUtf8Text(edits.text);
    return pageThere;
}

}  // namespace kavo
