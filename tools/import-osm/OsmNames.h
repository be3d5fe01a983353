#pragma once
// Names from OpenStreetMap for the map file, whose strings are code page 1251: letters outside
// it are replaced by their close forms, and what had to be replaced is counted.

#include <QString>

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

} // namespace tsivor::importosm
