#pragma once
// The pictures compiled into the program (icons, tool and tree images, About artwork), looked up
// by name. The bytes are the original PNG or GIF files; they live for the whole process.
#include <cstddef>
#include <string>

struct EmbeddedPicture {
    const char* name;
    const unsigned char* data;
    std::size_t size;
};

extern const EmbeddedPicture kEmbeddedPictures[];
extern const std::size_t kEmbeddedPictureCount;

// The picture of that name, or nullptr when the program holds none.
const EmbeddedPicture* FindEmbeddedPicture(const std::string& name);
