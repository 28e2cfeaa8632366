// Where the numbered body spots are on the three body pictures, read from
// the table the pictures are drawn from ("share\BodySpots.csv").
#pragma once

#include <vector>

constexpr int BodyViewCount = 3;
// The pictures in the order a click on the body picture cycles through them.
extern const char* const BodyViewFiles[BodyViewCount];

struct BodySpotPosition {
    int view = 0;  // index into BodyViewFiles
    int spot = 0;  // 1 to 24
    int x = 0, y = 0;  // centre, in pixels from the picture's top left
};

class BodySpotTable {
public:
    // Reads the table: "view,spot,x,y" rows, the view named by its picture's
    // file. Lines starting with '#', the heading and rows that do not read as
    // such a row are skipped. False when the file cannot be read.
    bool Load(const char* path);

    // The position of `spot` in `view`, or null when that view does not show it.
    const BodySpotPosition* Find(int view, int spot) const;
    // The spot drawn at (x, y) of `view`'s picture, within `radius` pixels of
    // its centre; 0 when there is none. The nearest one wins.
    int SpotAt(int view, int x, int y, int radius) const;
    // The first view that shows `spot`, or -1.
    int ViewShowing(int spot) const;
    const std::vector<BodySpotPosition>& Positions() const { return positions; }

private:
    std::vector<BodySpotPosition> positions;
};
