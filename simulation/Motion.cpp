#include "simulation/Motion.h"

#include <Inventor/nodes/SoMatrixTransform.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>

#include <chrono>
#include <cmath>

#include "app/Globals.h"
#include "city/FlyingObject.h"
#include "octree/CollisionObject.h"
#include "simulation/Session.h"
#include "simulation/SimulationState.h"
#include "spatialindex/MoveProtocol.h"
#include "spatialindex/Region.h"

namespace {

const float pi = 3.14159265f;
const float damping = 0.98f;
const float steeringDivisor = 5000.0f;
const SbVec3f craftDimensions(1.0f, 0.5f, 1.0f);
const float cameraHalfExtent = 0.05f;
const float phaseStep = 0.5f;
const float phaseWrap = 360.0f;
// How far inside the region's faces a camera brought back is put, so that
// its box lies inside after rounding.
const float insideMargin = 0.001f;

// Adds the time from its creation to its end to the session's
// indexMicroseconds, when the session times index calls.
class IndexTime {
public:
    explicit IndexTime(Session& session)
        : session(session), start(session.indexTiming ? Clock::now() : Clock::time_point()) {}
    ~IndexTime() {
        if (session.indexTiming) {
            session.indexMicroseconds +=
                std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        }
    }
    IndexTime(const IndexTime&) = delete;
    IndexTime& operator=(const IndexTime&) = delete;

private:
    using Clock = std::chrono::steady_clock;
    Session& session;
    const Clock::time_point start;
};

SbVec3f positionOf(const FlyingObject& object) {
    return SbVec3f(object.currentPosition[0], object.currentPosition[1], object.currentPosition[2]);
}

CollisionObject craftRecord(const SbVec3f& centre, SbBox3f* box, FlyingObject* owner) {
    return CollisionObject(craftDimensions[0], craftDimensions[1], craftDimensions[2], centre[0],
                           centre[1], centre[2], box, owner);
}

SbBox3f* boxAround(const SbVec3f& centre, const SbVec3f& halfExtent) {
    return new SbBox3f(centre - halfExtent, centre + halfExtent);
}

SbBox3f* cameraBoxAround(const SbVec3f& centre) {
    return boxAround(centre, SbVec3f(cameraHalfExtent, cameraHalfExtent, cameraHalfExtent));
}

// Counts the move and tells the session's observer of it.
void countMove(Session& session, const CollisionObject& tried, bool refused) {
    ++session.movesTried;
    session.movesRefused += refused ? 1 : 0;
    if (session.moveObserver) {
        session.moveObserver(session.moveObserverData, tried, refused);
    }
}

// The nearest point to at where the camera's box lies inside the region.
SbVec3f cameraPlaceInside(const SbVec3f& at, const SbBox3f& region) {
    SbVec3f inside = at;
    const float keep = cameraHalfExtent + insideMargin;
    for (int axis = 0; axis < 3; ++axis) {
        const float low = region.getMin()[axis] + keep;
        const float high = region.getMax()[axis] - keep;
        inside[axis] = at[axis] < low ? low : (at[axis] > high ? high : at[axis]);
    }
    return inside;
}

// The region's faces are walls: a move whose box would leave it is refused
// like a collision, in every index, before the index is asked. (Outside the
// region no index would find a collision, and the octree would lose the
// record.)
bool leavesRegion(const Session& session, const SbBox3f& tried) {
    return !insideRegion(tried, session.indexes->region());
}

// A move of a mover some watcher watches: tryIndexMove's other path, kept out
// of line so that the moves nobody watches run the code they always ran.
__attribute__((noinline)) bool watchedIndexMove(Session& session, const FlyingObject* owner,
                                                const CollisionObject& filed,
                                                const CollisionObject& tried, bool edge) {
    bool refused = true;
    double microseconds = 0;
    if (!edge) {
        for (MoveWatcher* watcher : session.moveWatchers) {
            if (watcher->watches(owner)) {
                watcher->beforeMove(session.index(), filed, tried);
            }
        }
        IndexTime timed(session);
        const auto start = std::chrono::steady_clock::now();
        refused = session.index().tryMove(filed, tried);
        microseconds =
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count();
    }
    for (MoveWatcher* watcher : session.moveWatchers) {
        if (watcher->watches(owner)) {
            watcher->afterMove(owner, tried, refused, edge, microseconds);
        }
    }
    return refused;
}

// The index's answer to one move, through tryMove; the session's watchers
// that watch this mover are told of it before and after.
inline bool tryIndexMove(Session& session, const FlyingObject* owner, const CollisionObject& filed,
                         const CollisionObject& tried) {
    const bool edge = leavesRegion(session, *tried.box);
    if (__builtin_expect(!session.moveWatchers.empty(), 0)) {
        return watchedIndexMove(session, owner, filed, tried, edge);
    }
    if (edge) {
        return true;
    }
    IndexTime timed(session);
    return session.index().tryMove(filed, tried);
}

SbVec3f steeringOf(const FlyingObject& object, float frameFactor) {
    if (!object.steering) {
        return SbVec3f(0, 0, 0);
    }
    return (orbitTarget(object, orbitPhase) - positionOf(object)) / (steeringDivisor * frameFactor);
}

}  // namespace

SbVec3f orbitOffset(float r, float phase) {
    float a = r * std::cos(pi / phase);
    float b = std::sqrt(r * r - a * a);
    if (phase >= 90 && phase < 180) {
        a = -a;
    } else if (phase >= 180 && phase < 270) {
        a = -a;
        b = -b;
    } else if (phase >= 270 && phase < 360) {
        b = -b;
    }
    return SbVec3f(b, 0, a);
}

SbVec3f orbitTarget(const FlyingObject& object, float phase) {
    return object.orbitCentre + orbitOffset(object.orbitRadius, phase);
}

void advanceOrbitPhase() {
    orbitPhase += phaseStep;
    if (orbitPhase >= phaseWrap) {
        orbitPhase = orbitPhaseStart;
    }
}

void accelerateFlyingObject(FlyingObject& object, float frameFactor) {
    object.velocity *= damping;
    object.velocity += object.thrustDirection * object.thrustFactor;
    object.velocity = (object.velocity + steeringOf(object, frameFactor)) + gravity;
}

void accelerateCamera(float frameFactor) {
    cameraVelocity *= damping;
    cameraVelocity += viewDirection * (cameraThrust / frameFactor);
    cameraVelocity += gravity;
}

void moveFlyingObject(CollisionObject& record, float frameFactor, Session& session) {
    FlyingObject& object = *record.owner;
    accelerateFlyingObject(object, frameFactor);

    const SbVec3f next = positionOf(object) + object.velocity;
    SbBox3f* tried = boxAround(next, craftHalfExtent);
    const CollisionObject candidate = craftRecord(next, tried, &object);
    // Filed back if the move is refused: the craft where it stays.
    const CollisionObject staying = craftRecord(positionOf(object), record.box, &object);
    const bool refused = tryIndexMove(session, &object, staying, candidate);
    countMove(session, candidate, refused);
    if (!refused) {
        // The index's copies of the old box went with the move.
        delete record.box;
        record.box = tried;
        object.currentPosition[0] = next[0];
        object.currentPosition[1] = next[1];
        object.currentPosition[2] = next[2];
        object.transform.setTranslate(next);
        if (object.transformNode) {
            object.transformNode->matrix.setValue(object.transform);
        }
    } else {
        delete tried;
        object.velocity.setValue(0, 0, 0);
        object.steering = false;
    }
}

void moveFlyingObjects(float frameFactor, Session& session) {
    const SbList<CollisionObject*>& records = cityBuilder.flyingObjects;
    for (int i = 0; i < records.getLength(); ++i) {
        CollisionObject* record = records[i];
        if (record && record->owner) {
            moveFlyingObject(*record, frameFactor, session);
        }
        advanceOrbitPhase();
    }
}

void rebuildCameraObject(CollisionIndex& index) {
    const SbVec3f here = camera->position.getValue();
    CollisionObject* stale = cameraObject;
    cameraObject = new CollisionObject(here[0], here[1], here[2], cameraBoxAround(here));
    if (stale) {
        refile(index, *stale, *cameraObject);
        delete stale->box;
        delete stale;
    } else {
        index.insert(*cameraObject);
    }
}

bool moveCamera(float frameFactor, Session& session) {
    accelerateCamera(frameFactor);

    if (cameraObjectStale) {
        cameraObjectStale = false;
        // Free flight may have left the region: the camera comes back to its
        // nearest point inside, where its record can be filed.
        camera->position.setValue(
            cameraPlaceInside(camera->position.getValue(), session.indexes->region()));
        IndexTime timed(session);
        rebuildCameraObject(session.index());
    }

    const SbVec3f next = camera->position.getValue() + cameraVelocity;
    CollisionObject* candidate =
        new CollisionObject(next[0], next[1], next[2], cameraBoxAround(next));
    const bool refused = tryIndexMove(session, nullptr, *cameraObject, *candidate);
    countMove(session, *candidate, refused);
    if (!refused) {
        camera->position.setValue(next);
        delete cameraObject->box;
        delete cameraObject;
        cameraObject = candidate;
        return true;
    }
    cameraVelocity.setValue(0, 0, 0);
    delete candidate->box;
    delete candidate;
    return false;
}

void finishMoves(Session& session) {
    IndexTime timed(session);
    session.index().stepDone();
}

void countMoversOutside(Session& session) {
    session.moversOutside = 0;
    if (!session.indexes) {
        return;
    }
    const SbBox3f& region = session.indexes->region();
    const SbList<CollisionObject*>& records = cityBuilder.flyingObjects;
    for (int i = 0; i < records.getLength(); ++i) {
        if (records[i] && records[i]->box && !insideRegion(*records[i]->box, region)) {
            ++session.moversOutside;
        }
    }
    if (cameraObject && cameraObject->box && !insideRegion(*cameraObject->box, region)) {
        ++session.moversOutside;
    }
}
