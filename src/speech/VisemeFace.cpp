#include "VisemeFace.h"

QString VisemeFace::keyOf(int picture)
{
    switch (picture) {
    case 1:
        return wholeFace;
    case 23:
        return eyesClosed;
    case 24:
        return eyesNarrowed;
    default:
        return {};
    }
}

QVariant VisemeFace::overlayFor(int visemeId)
{
    if (visemeId < 0 || visemeId > pictureCount)
        return wholeFace;
    const int picture = visemeId == 0 ? 1 : visemeId;
    switch (picture % 6) {
    case 2:
        return eyesClosed;
    case 5:
        return eyesNarrowed;
    default:
        return picture;
    }
}
