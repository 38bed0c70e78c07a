#include "resources/EmbeddedPictures.h"

#include <cstring>

const EmbeddedPicture* FindEmbeddedPicture(const std::string& name)
{
    for (std::size_t i = 0; i < kEmbeddedPictureCount; ++i) {
        if (name == kEmbeddedPictures[i].name)
            return &kEmbeddedPictures[i];
    }
    return nullptr;
}
