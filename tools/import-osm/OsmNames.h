#pragma once
// Names from OpenStreetMap for the map file, whose strings are code page 1251: letters outside
// it are replaced by their close forms, and what had to be replaced is counted.

#include <QString>

#include <cstdint>

namespace tsivor::importosm {

class TCp1251Names {
public:
    // text with every character representable in code page 1251: accents dropped (ł, ø, ß and
    // the Greek letters have Latin forms), anything else becomes '?'.
    QString Convert(const QString& text);
    // Characters replaced so far (transliterated or made '?').
    int Replaced() const { return FReplaced; }
    // Of them, those without a close form.
    int Unknown() const { return FUnknown; }

private:
    int FReplaced = 0;
    int FUnknown = 0;
};

// text without the pictographs that no text font of the program draws, which would show as boxes
// on cards, banners and logos: the symbols beyond the basic plane (emoji) and the joiners,
// variation selectors and tags they are built with. A space left doubled or at an end goes too;
// dropped counts the pictographs taken out.
QString WithoutPictographs(const QString& text, int64_t& dropped);

} // namespace tsivor::importosm
