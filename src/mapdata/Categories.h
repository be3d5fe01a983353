#pragma once
// Object categories: the filter's bit set, one bit per category code, and the built-in names.

#include "mapdata/MapObject.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace tsivor::mapdata {

// A built-in category name with its code.
struct TCategoryName {
    QString Name;
    int Code = 0;
};

// Lets the host decide per object while the filter is on; Visible arrives preset.
using TFilteredObjectHook = std::function<void(const TORBMapObjectMem& object, bool& Visible)>;

class TCategories {
public:
    static constexpr int kWordCount = 32002;
    static constexpr int kBitCount = kWordCount * 16; // codes 0 .. 512031

    // Codes outside the bit set are ignored.
    void SetCategoryVisible(int code, bool visible);
    // False for codes outside the bit set, so such objects stay hidden while filtering.
    bool IsCategoryVisible(int code) const;
    void SetAllVisible(bool visible);

    bool Filter = false;
    TFilteredObjectHook OnFilteredObject;

    // Drawing rule: a clear bit hides the object without asking the hook.
    bool PassesDrawFilter(const TORBMapObjectMem& object) const;
    // The drawing rule's first step, from the category alone: AskHook leaves the decision to
    // PassesDrawFilter with the record.
    enum class TDrawStep { Show, Hide, AskHook };
    TDrawStep DrawStepOf(int category) const {
        if (!Filter) return TDrawStep::Show;
        if (!IsCategoryVisible(category)) return TDrawStep::Hide;
        return OnFilteredObject ? TDrawStep::AskHook : TDrawStep::Show;
    }
    // Hit-test rule: the hook sees the bit's state and may change it either way.
    bool PassesHitFilter(const TORBMapObjectMem& object) const;

    // Raw word of the bit set, for callers that store it; 0 outside.
    uint16_t Word(int index) const;

private:
    std::array<uint16_t, kWordCount> FBits{};
};

// The 39 built-in names in their fixed order (two names repeat on purpose).
const std::vector<TCategoryName>& BuiltInCategoryNames();
// Replaces the list's contents with the built-in names.
void GetCategoryNames(std::vector<TCategoryName>& strings);

} // namespace tsivor::mapdata
