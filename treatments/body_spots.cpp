#include "treatments/body_spots.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

const char* const BodyViewFiles[BodyViewCount] = {"HumanBodyFront.png", "HumanBodyBack.png",
                                                  "HumanBodySideL.png"};

namespace {
bool ParseRow(const std::string& line, BodySpotPosition& position)
{
    const std::size_t comma = line.find(',');
    if (comma == std::string::npos)
        return false;
    const std::string file = line.substr(0, comma);
    position.view = -1;
    for (int view = 0; view < BodyViewCount; ++view)
        if (file == BodyViewFiles[view])
            position.view = view;
    char rest = 0;
    return position.view >= 0
           && std::sscanf(line.c_str() + comma + 1, "%d,%d,%d %c", &position.spot, &position.x, &position.y,
                          &rest)
                  == 3
           && position.spot >= 1 && position.x >= 0 && position.y >= 0;
}
}  // namespace

bool BodySpotTable::Load(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    positions.clear();
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        BodySpotPosition position;
        if (!line.empty() && line[0] != '#' && ParseRow(line, position))
            positions.push_back(position);
    }
    return true;
}

const BodySpotPosition* BodySpotTable::Find(int view, int spot) const
{
    for (const BodySpotPosition& position : positions)
        if (position.view == view && position.spot == spot)
            return &position;
    return nullptr;
}

int BodySpotTable::SpotAt(int view, int x, int y, int radius) const
{
    int found = 0;
    long nearest = static_cast<long>(radius) * radius;
    for (const BodySpotPosition& position : positions) {
        const long dx = x - position.x;
        const long dy = y - position.y;
        if (position.view == view && dx * dx + dy * dy <= nearest) {
            nearest = dx * dx + dy * dy;
            found = position.spot;
        }
    }
    return found;
}

int BodySpotTable::ViewShowing(int spot) const
{
    for (int view = 0; view < BodyViewCount; ++view)
        if (Find(view, spot) != nullptr)
            return view;
    return -1;
}
