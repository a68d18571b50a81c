#pragma once

#include <Inventor/fields/SoSFEnum.h>
#include <Inventor/fields/SoSFVec2f.h>
#include <Inventor/fields/SoSFVec2s.h>
#include <Inventor/nodes/SoNode.h>
#include <Inventor/nodes/SoSubNode.h>

// Placeholder node with the graph's public interface; the real graph replaces it.
class SoPerfGraph : public SoNode {
    SO_NODE_HEADER(SoPerfGraph);

public:
    enum HorAlignment { LEFT = 0, CENTER = 1, RIGHT = 2 };
    enum VertAlignment { BOTTOM = 0, HALF = 1, TOP = 2 };

    static void initClass();
    SoPerfGraph();

    void addValue(float value);

    SoSFEnum vertAlignment;
    SoSFEnum horAlignment;
    SoSFVec2f size;
    SoSFVec2f position;
    SoSFVec2s sizeInPixels;
    SoSFVec2s positionInPixels;
    SoSFEnum vertScreenOrigin;
    SoSFEnum horScreenOrigin;
    SoSFVec2f dataScale;

protected:
    ~SoPerfGraph() override;
};
