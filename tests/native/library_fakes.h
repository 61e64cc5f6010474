// Fakes of the library's tree and editor widgets for native tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "library/library_widgets.h"
#include "text/encoding.h"

namespace kavo {

// A tree kept in pre-order, like the control the adapter drives: appending under an earlier
// parent inserts in the middle and moves the indices after it.
class FakeTree : public TreeWidget {
  public:
    struct Item {
        Utf8Text text;
        int image = 0;
        bool bold = false;
        int parent = -1;
        bool expanded = false;
    };
    std::vector<Item> items;
    int selected = -1;
    // Raised by Select and by RemoveAll when it clears a selection, as the control does.
    std::function<void()> onSelectionChanged;

    void RemoveAll() override {
        items.clear();
        if (selected != -1) {
            selected = -1;
            if (onSelectionChanged) onSelectionChanged();
        }
    }
    int Append(int parent, const Utf8Text& text, int image, bool bold) override {
        if (parent < -1 || parent >= Count()) return -1;
        int at = Count();
        if (parent >= 0) {
            at = parent + 1;
            while (at < Count() && IsDescendant(at, parent)) ++at;
        }
        for (auto& item : items)
            if (item.parent >= at) ++item.parent;
        if (selected >= at) ++selected;
        items.insert(items.begin() + at, Item{text, image, bold, parent, false});
        return at;
    }
    int Count() const override { return static_cast<int>(items.size()); }
    Utf8Text Text(int index) const override { return Valid(index) ? items[index].text : ""; }
    int Parent(int index) const override { return Valid(index) ? items[index].parent : -1; }
    bool IsBold(int index) const override { return Valid(index) && items[index].bold; }
    bool HasChildren(int index) const override {
        return Valid(index) && index + 1 < Count() && items[index + 1].parent == index;
    }
    bool IsExpanded(int index) const override { return Valid(index) && items[index].expanded; }
    void Expand(int index) override {
        if (HasChildren(index)) items[index].expanded = true;
    }
    void Collapse(int index) override {
        if (Valid(index)) items[index].expanded = false;
    }
    int SelectedIndex() const override { return selected; }
    void Select(int index) override {
        selected = Valid(index) ? index : -1;
        if (onSelectionChanged) onSelectionChanged();
    }

    std::vector<Utf8Text> Texts() const {
        std::vector<Utf8Text> texts;
        for (const auto& item : items) texts.push_back(item.text);
        return texts;
    }
    std::vector<int> Parents() const {
        std::vector<int> parents;
        for (const auto& item : items) parents.push_back(item.parent);
        return parents;
    }
    std::vector<int> ExpandedIndices() const {
        std::vector<int> expanded;
        for (int i = 0; i < Count(); ++i)
            if (items[i].expanded) expanded.push_back(i);
        return expanded;
    }

  private:
    bool Valid(int index) const { return index >= 0 && index < Count(); }
    bool IsDescendant(int index, int ancestor) const {
        for (int p = items[index].parent; p != -1; p = items[p].parent)
            if (p == ancestor) return true;
        return false;
    }
};

class FakeEditor : public EditorWidget {
  public:
    RuntimeText text = "before";
    int replacements = 0;
    RuntimeText ReadText() override { return text; }
    void ReplaceText(const RuntimeText& newText) override {
        text = newText;
        ++replacements;
    }
};

// Holds its text as the rich edit does, in Unicode (UTF-8 here): GBK readings lose what GBK
// cannot hold, UTF-8 readings lose nothing; every line break reads back as CR LF.
class UnicodeEditor : public FakeEditor {
  public:
    std::string unicode;
    RuntimeText ReadText() override { return Utf8ToGbk(unicode); }
    void ReplaceText(const RuntimeText& gbk) override { ReplaceUtf8Text(GbkToUtf8(gbk)); }
    std::string ReadUtf8Text() override { return unicode; }
    void ReplaceUtf8Text(const std::string& utf8) override {
        unicode.clear();
        for (std::size_t i = 0; i < utf8.size(); ++i) {
            if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
            if (utf8[i] == '\r' || utf8[i] == '\n')
                unicode += "\r\n";
            else
                unicode += utf8[i];
        }
        ++replacements;
    }
};

}  // namespace kavo
