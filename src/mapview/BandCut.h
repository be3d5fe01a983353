#pragma once
// TBandCut: where a frame drawn by two threads is cut into an upper and a lower band of rows, so
// that both get the same estimated work. Each object adds its cost spread over the rows it
// covers; the cut follows from the sums alone, so the same lists always give the same cut.

#include <vector>

namespace tsivor::mapview {

class TBandCut {
public:
    // A frame of height rows (at least 2).
    explicit TBandCut(int height);

    // Spreads cost evenly over the whole rows that [top, bottom) touches within the frame;
    // nothing when it lies outside.
    void Add(double top, double bottom, double cost);
    // The first row of the lower band, within [1, height - 1]: the estimated work above and
    // below it as equal as whole rows allow, of such rows the one nearest the middle; the
    // middle row when nothing was added.
    int EvenCut() const;

private:
    int FHeight;
    // Per row, the change of the cost per row from the row before.
    std::vector<double> FSlope;
};

} // namespace tsivor::mapview
