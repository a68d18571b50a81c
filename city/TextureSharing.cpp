#include "city/TextureSharing.h"

#include <Inventor/SbDict.h>
#include <Inventor/SbName.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>

void shareTextures(SoSeparator* group) {
    if (!group) {
        return;
    }
    SoSearchAction sa;
    sa.setType(SoTexture2::getClassTypeId(), TRUE);
    sa.setInterest(SoSearchAction::ALL);
    // Also inside inactive switch children, which a normal traversal skips.
    sa.setSearchingAll(TRUE);
    sa.apply(group);
    const SoPathList& paths = sa.getPaths();

    // Keyed by the unique-name table's address, so equal names compare as pointers.
    SbDict namedict(251);
    for (int p = 0; p < paths.getLength(); ++p) {
        // Read through SoPath itself, as casting to SoFullPath is undefined
        // behaviour. Searches do not enter node kits, so no path hides nodes.
        const SoPath* path = paths[p];
        const int length = path->getLength();
        SoNode* tail = path->getTail();
        if (!tail->isOfType(SoTexture2::getClassTypeId())) {
            continue;
        }
        SoTexture2* texture = static_cast<SoTexture2*>(tail);
        const SbString& name = texture->filename.getValue();
        if (name.getLength() == 0) {
            continue;
        }
        const SbDict::Key key = reinterpret_cast<SbDict::Key>(SbName(name).getString());
        void* kept = nullptr;
        if (!namedict.find(key, kept)) {
            namedict.enter(key, texture);
            continue;
        }
        if (kept == texture || length < 2) {
            continue;
        }
        SoNode* parent = path->getNode(length - 2);
        if (!parent->isOfType(SoGroup::getClassTypeId())) {
            continue;
        }
        static_cast<SoGroup*>(parent)->replaceChild(path->getIndex(length - 1),
                                                    static_cast<SoNode*>(kept));
    }
    sa.reset();
}
