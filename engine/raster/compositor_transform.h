// The geometry of a scaled or rotated layer node: the destination box, the
// source steps per destination pixel in 1/1024 pixels, and the start
// position, clipped to the area being redrawn.
#pragma once

#include "engine/raster/compositor_dispatch.h"
#include "engine/raster/layer_node.h"
#include "engine/raster/raster_primitives.h"

// Fills span for node clipped to clip; the span's source rectangle is the
// node's. False when nothing is to be drawn: a scale of 0 or less (the mean
// scale, for a rotated node) or a box wholly outside clip.
bool SetupTransform(const LayerNode& node, const PixelRect& clip, TransformSpan& span);
