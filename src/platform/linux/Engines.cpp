#include "platform/linux/Engines.h"

#include "platform/linux/VipsImageEngine.h"

ImageEngine* flingdial_imageEngine()
{
    static VipsImageEngine instance;
    return &instance;
}
