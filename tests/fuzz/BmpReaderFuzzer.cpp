// BMP files through the program's BMP reader, which stands in for the toolkit's for every BMP the
// program reads. Its own row reader takes the uncompressed 24-bit pictures the charts make; the
// input gives such a header any width, height and pixel offset and is followed by whatever pixel
// data the input holds. (Other BMPs go on to the toolkit's reader, which is not ours to fuzz.)
// Besides the sanitizers' findings it checks that a picture read has the size its header gives.
#include "fuzz/FuzzCheck.h"
#include "fuzz/ToolkitAsserts.h"
#include "monitor/chart/BmpImageHandler.h"

#include <cstdlib>
#include <cstring>
#include <vector>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/mstream.h>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    ToolkitAssertsAbort();
    static wxInitializer toolkit;
    FUZZ_CHECK(toolkit.IsOk());
    chart::BmpImageHandler::Register();
    // The readers explain what they reject through the log; a fuzzer has no one to tell.
    wxLog::EnableLogging(false);
    return 0;
}

// Input: width (4 bytes) and height (4 bytes; odd for rows stored top down), both brought to the
// sides the row reader takes (1 to 65535), the pixel offset beyond the header (2 bytes), then the
// bytes after the header.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 10)
        return 0;
    uint32_t rawWidth, rawHeight;
    uint16_t gap;
    std::memcpy(&rawWidth, data, 4);
    std::memcpy(&rawHeight, data + 4, 4);
    std::memcpy(&gap, data + 8, 2);
    const int32_t width = int32_t(1 + rawWidth % 65535);
    const int32_t height = int32_t(1 + (rawHeight >> 1) % 65535) * ((rawHeight & 1) ? -1 : 1);

    std::vector<unsigned char> file(54, 0);
    auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = (value >> (8 * i)) & 0xff;
    };
    file[0] = 'B', file[1] = 'M';
    put32(2, uint32_t(54 + size - 10));
    put32(10, 54u + gap);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    file[26] = 1;   // planes
    file[28] = 24;  // bits per pixel; no compression
    file.insert(file.end(), data + 10, data + size);

    wxMemoryInputStream stream(file.data(), file.size());
    wxImage image;
    if (!image.LoadFile(stream, wxBITMAP_TYPE_BMP))
        return 0;
    FUZZ_CHECK(image.IsOk());
    FUZZ_CHECK(image.GetWidth() == width);
    FUZZ_CHECK(image.GetHeight() == std::abs(int64_t(height)));
    return 0;
}
