// The pictures the program looks up by name are all embedded, in the format and size their users
// expect (a missing or resized picture otherwise shows up only as a blank or distorted icon).
#include "resources/EmbeddedPictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {
struct Header {
    std::string format;  // "png", "gif" or "?"
    unsigned width = 0, height = 0;
    int pngColourType = -1, pngBitDepth = -1;
};

uint32_t BigEndian32(const unsigned char* p) { return (uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }

Header ReadHeader(const EmbeddedPicture& picture)
{
    Header h;
    const unsigned char* d = picture.data;
    if (picture.size >= 33 && std::memcmp(d, "\x89PNG\r\n\x1a\n", 8) == 0 && std::memcmp(d + 12, "IHDR", 4) == 0) {
        h.format = "png";
        h.width = BigEndian32(d + 16);
        h.height = BigEndian32(d + 20);
        h.pngBitDepth = d[24];
        h.pngColourType = d[25];
    } else if (picture.size >= 10 && (std::memcmp(d, "GIF87a", 6) == 0 || std::memcmp(d, "GIF89a", 6) == 0)) {
        h.format = "gif";
        h.width = d[6] | (d[7] << 8);
        h.height = d[8] | (d[9] << 8);
    } else {
        h.format = "?";
    }
    return h;
}

struct Expected {
    const char* name;
    const char* format;
    unsigned width, height;
};

const Expected kPictures[] = {
    {"aaaa", "png", 48, 48},
    {"newconic", "png", 16, 16},    {"fullscic", "png", 16, 16},   {"putic", "png", 16, 16},
    {"loginic", "png", 16, 16},     {"startic", "png", 16, 16},    {"eyeic", "png", 16, 16},
    {"openfo", "png", 16, 16},      {"montab", "png", 16, 16},
    {"tool_quit", "png", 16, 16},   {"tool_connection", "gif", 16, 16}, {"tool_fullscreen", "png", 16, 16},
    {"tool_upgrade", "png", 16, 16}, {"tool_donation", "png", 16, 16},
    {"tree0", "gif", 16, 16},       {"tree1", "gif", 16, 16},      {"tree2", "gif", 16, 16},
    {"tree3", "gif", 16, 16},       {"tree4", "gif", 16, 16},      {"tree5", "gif", 16, 16},
    {"about_picture", "png", 180, 249}, {"about_banner", "png", 173, 53},
};
}  // namespace

TEST(Pictures, EveryNamedPictureIsEmbeddedInItsFormatAndSize)
{
    for (const Expected& expected : kPictures) {
        SCOPED_TRACE(expected.name);
        const EmbeddedPicture* picture = FindEmbeddedPicture(expected.name);
        ASSERT_NE(picture, nullptr);
        Header header = ReadHeader(*picture);
        EXPECT_EQ(header.format, expected.format);
        EXPECT_EQ(header.width, expected.width);
        EXPECT_EQ(header.height, expected.height);
    }
    EXPECT_EQ(FindEmbeddedPicture("no-such-picture"), nullptr);
}

TEST(Pictures, AboutPicturesAreTwentyFourBitColourWithoutAlpha)
{
    for (const char* name : {"about_picture", "about_banner"}) {
        SCOPED_TRACE(name);
        const EmbeddedPicture* picture = FindEmbeddedPicture(name);
        ASSERT_NE(picture, nullptr);
        Header header = ReadHeader(*picture);
        EXPECT_EQ(header.pngColourType, 2) << "PNG colour type 2 is RGB without alpha";
        EXPECT_EQ(header.pngBitDepth, 8);
    }
}
