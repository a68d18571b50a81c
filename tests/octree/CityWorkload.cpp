#include "tests/octree/CityWorkload.h"

#include <cmath>

#include "octree/OctTree.h"

namespace {

using Grid = int[12][12];

class Draws {
public:
    explicit Draws(unsigned seed) : engine(seed) {}
    int percent() { return static_cast<int>(next() / 32768.0 * 100); }
    int next() { return std::uniform_int_distribution<int>(0, 32767)(engine); }

private:
    std::mt19937 engine;
};

void layStreets(Grid& g, Draws& draws) {
    for (int j = 1; j <= 9; ++j) {
        for (int i = 1; i <= 9; ++i) {
            if (g[i][j] == 3) {
                continue;
            }
            if (draws.percent() < 20 && i < 8) {
                g[i][j] = g[i + 1][j] = 1;
                g[i - 1][j + 1] = g[i][j + 1] = g[i + 1][j + 1] = 3;
                i += 2;
                while (draws.percent() < 80 && i < 11 && g[i][j] != 3) {
                    g[i][j + 1] = 3;
                    g[i][j] = 1;
                    ++i;
                }
                g[i][j + 1] = 3;
            }
        }
    }
}

void setBorder(Grid& g, int value) {
    for (int k = 0; k < 12; ++k) {
        g[0][k] = g[11][k] = g[k][0] = g[k][11] = value;
    }
}

struct Footprint {
    int width;   // cells along x
    int length;  // cells along z
    float height;
};

void placeBuildings(Grid& g, const Footprint& f, std::vector<SbBox3f>& boxes) {
    for (int j = 0; j <= 10; ++j) {
        for (int i = 0; i <= 10; ++i) {
            bool free = i + f.width <= 12 && j + f.length <= 12;
            for (int a = 0; free && a < f.width; ++a) {
                for (int b = 0; free && b < f.length; ++b) {
                    free = g[i + a][j + b] == 0;
                }
            }
            if (!free) {
                continue;
            }
            for (int a = -1; a <= f.width; ++a) {
                for (int b = -1; b <= f.length; ++b) {
                    int& cell = g[i + a][j + b];
                    const bool inside = a >= 0 && a < f.width && b >= 0 && b < f.length;
                    if (inside) {
                        cell = 2;
                    } else if (cell == 0) {
                        cell = 3;
                    }
                }
            }
            const float x = static_cast<float>(i - 1);
            const float z = static_cast<float>(j - 1);
            boxes.emplace_back(x, -f.height, z, x + f.width, 0.0f, z + f.length);
        }
    }
}

}  // namespace

SbBox3f cityRootBox() {
    return SbBox3f(-60, -110, -60, 60, 10, 60);
}

std::vector<SbBox3f> cityStaticBoxes(unsigned seed) {
    Draws draws(seed);
    Grid along{};
    Grid across{};
    setBorder(along, 3);
    setBorder(across, 3);
    layStreets(along, draws);
    layStreets(across, draws);
    for (int i = 0; i < 12; ++i) {
        for (int j = 0; j < 12; ++j) {
            if (along[i][j] == 3) {
                along[i][j] = 0;
            }
            if (across[j][i] == 1) {
                along[i][j] = 1;
            }
        }
    }

    std::vector<SbBox3f> boxes;
    for (int j = 0; j <= 10; ++j) {
        for (int i = 0; i <= 10; ++i) {
            if (along[i][j] == 1) {
                const float x = static_cast<float>(i - 1);
                const float z = static_cast<float>(j - 1);
                boxes.emplace_back(x, -0.005f, z, x + 1, 0.0f, z + 1);
            }
        }
    }
    setBorder(along, 3);
    const Footprint passes[] = {{2, 2, 1}, {1, 2, 2}, {2, 1, 2}, {1, 1, 4}};
    for (const Footprint& pass : passes) {
        placeBuildings(along, pass, boxes);
    }
    boxes.emplace_back(-500, 0, -500, 500, 0.001f, 500);
    boxes.emplace_back(1.45f, -3.05f, 1.45f, 1.55f, -2.95f, 1.55f);
    return boxes;
}

CraftSwarm::CraftSwarm(int count, unsigned seed) {
    Draws draws(seed);
    crafts.resize(count);
    for (Craft& craft : crafts) {
        const float z = static_cast<float>(draws.next() / 32768.0 * 25);
        const float y = static_cast<float>(draws.next() / 32768.0 * 3 - 10);
        const float x = static_cast<float>(draws.next() / 32768.0 * 25);
        craft.position.setValue(x, y, z);
        craft.velocity.setValue(0, 0, 0);
        craft.orbitCentre = craft.position;
        craft.steering = true;
        craft.boxes[0].setBounds(x - 0.5f, y - 0.25f, z, x + 0.25f, y + 0.25f, z + 0.5f);
        craft.current = 0;
    }
}

SbVec3f CraftSwarm::accelerate(Craft& craft) const {
    craft.velocity *= 0.98f;
    SbVec3f steer(0, 0, 0);
    if (craft.steering) {
        const float r = 5.0f;
        float a = r * std::cos(static_cast<float>(M_PI) / orbitPhase);
        float b = std::sqrt(r * r - a * a);
        if (orbitPhase >= 90 && orbitPhase < 180) {
            a = -a;
        } else if (orbitPhase >= 180 && orbitPhase < 270) {
            a = -a;
            b = -b;
        } else if (orbitPhase >= 270) {
            b = -b;
        }
        const SbVec3f target = craft.orbitCentre + SbVec3f(b, 0, a);
        steer = (target - craft.position) / 5000.0f;
    }
    craft.velocity = craft.velocity + steer + SbVec3f(0, 0.00015f, 0);
    return craft.position + craft.velocity;
}

void CraftSwarm::advancePhase() {
    orbitPhase += 0.5f;
    if (orbitPhase >= 360) {
        orbitPhase = 0.001f;
    }
}

void FlatSpace::remove(const CollisionObject& record) {
    for (std::size_t i = 0; i < records.size();) {
        if (records[i].isSameObject(record)) {
            records[i] = records.back();
            records.pop_back();
        } else {
            ++i;
        }
    }
}

bool FlatSpace::insertAndCheck(const CollisionObject& record) {
    bool collided = false;
    for (const CollisionObject& other : records) {
        if (OctTree::boxesOverlap(*other.box, *record.box)) {
            collided = true;
            break;
        }
    }
    records.push_back(record);
    return collided;
}
