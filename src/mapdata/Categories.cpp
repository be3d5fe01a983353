#include "mapdata/Categories.h"

namespace tsivor::mapdata {

void TCategories::SetCategoryVisible(int code, bool visible) {
    if (code < 0 || code >= kBitCount) return;
    uint16_t& word = FBits[size_t(code / 16)];
    const uint16_t mask = uint16_t(1u << (code % 16));
    word = visible ? uint16_t(word | mask) : uint16_t(word & ~mask);
}

bool TCategories::IsCategoryVisible(int code) const {
    if (code < 0 || code >= kBitCount) return false;
    return (FBits[size_t(code / 16)] >> (code % 16)) & 1u;
}

void TCategories::SetAllVisible(bool visible) {
    FBits.fill(visible ? 0xFFFF : 0);
}

bool TCategories::PassesDrawFilter(const TORBMapObjectMem& object) const {
    const TDrawStep step = DrawStepOf(object.Category);
    if (step != TDrawStep::AskHook) return step == TDrawStep::Show;
    bool visible = true;
    OnFilteredObject(object, visible);
    return visible;
}

bool TCategories::PassesHitFilter(const TORBMapObjectMem& object) const {
    if (!Filter) return true;
    bool visible = IsCategoryVisible(object.Category);
    if (OnFilteredObject) OnFilteredObject(object, visible);
    return visible;
}

uint16_t TCategories::Word(int index) const {
    return index >= 0 && index < kWordCount ? FBits[size_t(index)] : 0;
}

const std::vector<TCategoryName>& BuiltInCategoryNames() {
    static const std::vector<TCategoryName> names = {
        {"Не определен", 0},
        {"Улица", 1},
        {"Район", 2},
        {"Телекоммуникации", 3},
        {"Энергетика", 4},
        {"Канализация", 5},
        {"Водовод", 6},
        {"Транспорт", 7},
        {"Коммерция", 8},
        {"Предприятия", 9},
        {"Парки, сады", 10},
        {"Власть", 11},
        {"Медицина", 12},
        {"Постройки железобетонные", 13},
        {"Постройки деревянные", 14},
        {"Квартал", 15},
        {"Реки, озера, ручьи", 16},
        {"Событие", 17},
        {"Скалы", 18},
        {"Овраги, лощины", 19},
        {"Канавы", 20},
        {"Холмы", 21},
        {"ТВ, видео, аудио", 100},
        {"Компьютеры и оргтехника", 101},
        {"Автомагазины, автосервис", 102},
        {"Бытовые товары и техника", 103},
        {"Мебель, интерьер", 104},
        {"Аптеки", 105},
        {"Продукты", 106},
        {"Одежда, обувь", 107},
        {"Продукты", 108},
        {"Бытовые услуги", 109},
        {"Рестораны, кафе, бары", 110},
        {"Медицина", 111},
        {"Банки, обмен валюты", 112},
        {"Ремонт техники", 113},
        {"Образование", 114},
        {"Парикмахерские", 115},
        {"Культура и спорт", 116},
    };
    return names;
}

void GetCategoryNames(std::vector<TCategoryName>& strings) {
    strings = BuiltInCategoryNames();
}

} // namespace tsivor::mapdata
