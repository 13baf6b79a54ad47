// Path-data strings ("M", "L", "C", "Z" with absolute coordinates) turned
// into Direct2D geometry.
#pragma once

#include <d2d1.h>

#include <cstddef>

namespace lum {

// Walks the path text and feeds figures, lines and Beziers into the sink.
// Never stops on malformed text: unknown characters are skipped one at a
// time and a missing number reads as 0. Does not set the fill mode or close
// the sink. False when a number read as infinite or NaN (after conversion
// to float); the sink has then received it.
bool ParsePathData(const wchar_t* pathData, ID2D1GeometrySink* sink);

// The geometry of a path-data string, built once and cached for the life of
// the library; null when it cannot be built.
ID2D1PathGeometry* GetPathGeometry(const wchar_t* pathData);
// Releases every cached geometry and frees the cache's holder: the last use,
// at library unload.
void DeletePathGeometryCacheAtUnload();

// The number of geometries built so far (one per distinct path text).
size_t PathGeometryCacheSize();

}  // namespace lum
