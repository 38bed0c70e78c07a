#pragma once
// The toolkit's reader of BMP pictures, made fast for the pictures the charts hand over: 24 bits per
// pixel, uncompressed, are read a whole row at a time, where the toolkit's own reader asks its stream
// for every pixel (4 ms of an 8 ms budget for a 700 x 300 chart). Every other kind of BMP, and all
// writing, goes to a BMP handler of the toolkit's own held inside. Registered in place of the
// toolkit's BMP handler (it keeps one handler per type), so wxImage's BMP type (file, stream or
// bitmap) reads through it; the toolkit owns and deletes it with its other handlers.
#include <wx/imagbmp.h>
#include <wx/image.h>

namespace chart {

class BmpImageHandler : public wxImageHandler {
public:
    BmpImageHandler();

    // Puts the handler in the place of the toolkit's BMP handler, once per toolkit start.
    static void Register();

    bool LoadFile(wxImage* image, wxInputStream& stream, bool verbose = true, int index = -1) override;
    bool SaveFile(wxImage* image, wxOutputStream& stream, bool verbose = true) override;

protected:
    bool DoCanRead(wxInputStream& stream) override;

private:
    wxBMPHandler toolkitReader;
};

}  // namespace chart
