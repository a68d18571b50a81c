#pragma once

#include <Inventor/fields/SoSFEnum.h>
#include <Inventor/fields/SoSFVec2f.h>
#include <Inventor/fields/SoSFVec2s.h>
#include <Inventor/nodes/SoNode.h>
#include <Inventor/nodes/SoSubNode.h>

struct PerfGraphData;
struct PerfGraphProbe;

// A small scrolling bar graph of one scalar quantity, laid over the view in
// screen space: one bar per sample, newest at the right edge, with the
// top-of-scale value and the average of the last second as labels. The
// fields are documented in soperfgraph.cpp.
class SoPerfGraph : public SoNode {
    typedef SoNode inherited;

    SO_NODE_HEADER(SoPerfGraph);

public:
    // Registers the class; once, after the scene library is initialised.
    static void initClass();
    SoPerfGraph();

    enum HorAlignment { LEFT = 0, CENTER = 1, RIGHT = 2 };
    enum VertAlignment { BOTTOM = 0, HALF = 1, TOP = 2 };

    // Feeds one sample: rescales if needed, refreshes the labels, paints one
    // row and scrolls the graph by one sample. The sample's time is the time
    // of day when it is stored, after any rescale, or the one given (seconds,
    // as SbTime gives them).
    void addValue(float value);
    void addValue(float value, double timeOfDay);

    // Paints one image row (length RGBA texels) as a bar for value; returns
    // the number of texels written, always length.
    virtual int drawValue(unsigned char* row, int length, float value);

    void doAction(SoAction* action) override;
    void GLRender(SoGLRenderAction* action) override;
    void callback(SoCallbackAction* action) override;
    void getBoundingBox(SoGetBoundingBoxAction* action) override;
    void getMatrix(SoGetMatrixAction* action) override;
    void handleEvent(SoHandleEventAction* action) override;
    void pick(SoPickAction* action) override;
    void audioRender(SoAudioRenderAction* action) override;
    void getPrimitiveCount(SoGetPrimitiveCountAction* action) override;
    SoChildList* getChildren() const override;

protected:
    ~SoPerfGraph() override;

private:
    // The tests' door to the private record.
    friend struct PerfGraphProbe;

    // addValue's work; a null timeOfDay reads the clock when the sample is
    // stored.
    void addSample(float value, const double* timeOfDay);

    PerfGraphData* data;

public:
    SoSFEnum vertAlignment;
    SoSFEnum horAlignment;
    SoSFVec2f size;
    SoSFVec2f position;
    SoSFVec2s sizeInPixels;
    SoSFVec2s positionInPixels;
    SoSFEnum vertScreenOrigin;
    SoSFEnum horScreenOrigin;
    SoSFVec2f dataScale;
};

// Rounds x away from zero to 2, 4, 6 or 10 times a power of ten; 0 gives 1 and
// an infinite x is returned unchanged.
float niceCeiling(float x);
