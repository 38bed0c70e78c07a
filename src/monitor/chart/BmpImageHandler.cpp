#include "monitor/chart/BmpImageHandler.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <vector>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/stream.h>

namespace chart {

namespace {
const char* const kName = "BMP rows";

uint32_t Little32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Little16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }

// File header (14 bytes) and the common 40-byte information header.
const size_t kHeaderSize = 54;
}  // namespace

BmpImageHandler::BmpImageHandler()
{
    m_name = kName;
    m_extension = "bmp";
    m_type = wxBITMAP_TYPE_BMP;
    m_mime = "image/x-bmp";
}

void BmpImageHandler::Register()
{
    if (wxImage::FindHandler(kName))
        return;
    // The toolkit keeps one handler per type: its own BMP handler goes (this one holds another).
    if (wxImageHandler* toolkitHandler = wxImage::FindHandler(wxBITMAP_TYPE_BMP))
        wxImage::RemoveHandler(toolkitHandler->GetName());
    wxImage::InsertHandler(new BmpImageHandler);
}

bool BmpImageHandler::DoCanRead(wxInputStream& stream)
{
    return toolkitReader.CanRead(stream);
}

bool BmpImageHandler::SaveFile(wxImage* image, wxOutputStream& stream, bool verbose)
{
    return toolkitReader.SaveFile(image, stream, verbose);
}

bool BmpImageHandler::LoadFile(wxImage* image, wxInputStream& stream, bool verbose, int index)
{
    unsigned char header[kHeaderSize] = {};
    stream.Read(header, kHeaderSize);
    const size_t got = stream.LastRead();
    const int32_t width = int32_t(Little32(header + 18)), signedHeight = int32_t(Little32(header + 22));
    const uint32_t offset = Little32(header + 10);
    const bool rows = got == kHeaderSize && header[0] == 'B' && header[1] == 'M' && Little32(header + 14) == 40 &&
                      Little16(header + 26) == 1 && Little16(header + 28) == 24 && Little32(header + 30) == 0 &&
                      offset >= kHeaderSize && width > 0 && signedHeight != 0 && signedHeight != INT32_MIN &&
                      width <= 65535 && std::abs(signedHeight) <= 65535;
    if (!rows) {
        // Not ours: the toolkit's reader gets the stream as it was.
        stream.Ungetch(header, got);
        return toolkitReader.LoadFile(image, stream, verbose, index);
    }

    for (uint32_t skip = offset - kHeaderSize; skip > 0;) {
        unsigned char gap[256];
        stream.Read(gap, std::min<uint32_t>(skip, sizeof gap));
        if (stream.LastRead() == 0)
            break;
        skip -= stream.LastRead();
    }
    // Rows are stored bottom up unless the height is negative, blue-green-red, each padded to 4 bytes.
    const int height = std::abs(signedHeight);
    const bool topDown = signedHeight < 0;
    const size_t rowBytes = (size_t(width) * 3 + 3) & ~size_t(3);
    // A header may promise far more rows than the stream holds: when its length is known, the
    // picture (gigabytes, by the header's sides) is made only if they are all there.
    const wxFileOffset length = stream.GetLength(), at = stream.TellI();
    if (length != wxInvalidOffset && at != wxInvalidOffset &&
        uint64_t(at) + uint64_t(rowBytes) * uint64_t(height) > uint64_t(length)) {
        if (verbose)
            wxLogError(_("BMP: the picture data ends early."));
        return false;
    }
    if (!image->Create(width, height, false))
        return false;
    std::vector<unsigned char> row(rowBytes);
    unsigned char* const pixels = image->GetData();
    for (int r = 0; r < height; ++r) {
        stream.Read(row.data(), rowBytes);
        if (stream.LastRead() != rowBytes) {
            if (verbose)
                wxLogError(_("BMP: the picture data ends early."));
            image->Destroy();
            return false;
        }
        unsigned char* out = pixels + size_t(topDown ? r : height - 1 - r) * width * 3;
        const unsigned char* in = row.data();
        for (int x = 0; x < width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    return true;
}

}  // namespace chart
