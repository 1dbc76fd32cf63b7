#pragma once

class ImageEngine;

// The image engine needs libvips and qpdf: it lives in a module loaded on
// first use, so that everything else starts without them. This is the
// module's entry point.
extern "C" {
ImageEngine* flingdial_imageEngine();
}
