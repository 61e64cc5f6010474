#include "editor/line_numbers.h"

#include <algorithm>

namespace kavo {

namespace {

int Breaks(const std::u16string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), u'\r'));
}

}  // namespace

int ParagraphIndex::LineOf(long position) {
    if (position < 0) position = 0;
    if (position >= anchor_)
        breaksBefore_ += Breaks(read_(anchor_, position));
    else
        breaksBefore_ -= Breaks(read_(position, anchor_));
    anchor_ = position;
    return breaksBefore_ + 1;
}

void ParagraphIndex::TextChangedFrom(long position) {
    // The count before the anchor holds only while every change lies at or after it.
    if (position < anchor_) Reset();
}

void ParagraphIndex::Reset() {
    anchor_ = 0;
    breaksBefore_ = 0;
}

int GutterDigits(long lineCount) {
    int digits = 1;
    for (long rest = lineCount; rest >= 10; rest /= 10) ++digits;
    return std::max(digits, 2);
}

std::uint64_t LineLookKey(std::string_view line, std::string_view faults) {
    // FNV-1a over both parts, with a separator no GBK text holds between them.
    std::uint64_t hash = 14695981039346656037ull;
    const auto mix = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 1099511628211ull;
    };
    for (const char c : line) mix(static_cast<unsigned char>(c));
    mix(0);
    for (const char c : faults) mix(static_cast<unsigned char>(c));
    return hash;
}

std::vector<std::uint64_t> CarriedLooks(const std::vector<std::uint64_t>& old, std::size_t newCount,
                                        int touchedFrom, int touchedTo) {
    std::vector<std::uint64_t> looks(newCount, 0);
    const long delta = static_cast<long>(newCount) - static_cast<long>(old.size());
    if (touchedFrom > touchedTo) {
        if (delta == 0) looks = old;
        return looks;
    }
    const long spread = delta < 0 ? -delta : delta;
    const long low = static_cast<long>(touchedFrom) - 1 - spread;  // first touched, from 0
    const long high = static_cast<long>(touchedTo) - 1 + spread;   // last touched
    for (long i = 0; i < static_cast<long>(newCount); ++i) {
        const long from = i < low ? i : i > high ? i - delta : -1;
        if (from >= 0 && from < static_cast<long>(old.size()))
            looks[static_cast<std::size_t>(i)] = old[static_cast<std::size_t>(from)];
    }
    return looks;
}

}  // namespace kavo
