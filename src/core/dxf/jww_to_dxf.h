// The JWW to DXF conversion (TJwwData::FileOutDXF, dxf/jww_to_dxf.cpp) and
// the pieces of it that stand on their own: the layer usage counter, the
// line-type mapping and the pixel size of an image file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace jw {

using JwString = std::u16string;
class TJwwData;
class TJwsData;
class TDXFmodel;
class TgraAttribute;
struct TEntJwwAttr;

// Fills m (emptied first) with the drawing jw as TJwwData::FileOutDXF
// exports it to FName (whose folder receives the image copies) in release Ver;
// FileOutDXF then writes m with SaveDXF.
void JwwToDxfModel(TJwwData& jw, TDXFmodel& m, int32_t Ver, const JwString& FName);

// The text-variable context of an export of jw (TDXFmodel::SetMojiExpInfo):
// the memo split at its first line break, the layer-group scales, the colour
// indexes of pens 1-9 in ga, the file name and dates of this thread's
// JwFileName, the drawing time, the print scale and the expansion switches.
void DxfSetMojiExpContext(const TJwwData& jw, const TgraAttribute& ga, TDXFmodel& m);

// The point symbol blocks "_TRANS_TMARKER1" ... "_TRANS_TMARKER11" and
// "_TRANS_TMARKER_1" ... "_TRANS_TMARKER_7" (see JwTenMarkerName), centred on
// the origin, lengths in mm.
void DxfAddTenMarkerBlocks(TDXFmodel& m);

// A figure has the entities of a drawing without its settings and tables:
// dwg becomes a new drawing (DataDefaultSet) holding the figure's entities,
// block definitions and layer groups (scales), ready for FileOutDXF.
void JwsAsDrawing(const TJwsData& fig, TJwwData& dwg);

// Layer group and layer (0-15) of an entity as the export places it; a value
// outside 0-15 counts as 0.
int32_t DxfGroupOf(const TEntJwwAttr& a);
int32_t DxfLayerOf(const TEntJwwAttr& a);
// Whether layer l of group g is shown (a table the drawing lacks shows it).
bool DxfLayerShown(const TJwwData& jw, int32_t g, int32_t l);
// An image text: "^@BM" + file + "," + values.
bool DxfIsImageText(const JwString& s);

// DXF line-type index of a Jw_cad line type: 1-9 the standard types, 11-19
// RAND1 ... DASHEDX4 (10-18), 32-45 the SXF types (19-32), 47-62 the extended
// SXF types (33-48); anything else 1 (Continuous).
int32_t PenStyleToLtype(int32_t nPenStyle);

// Tallies of one Jw_cad layer: col[k - 1] counts colour index k, ltp[i]
// counts DXF line type i; colman / ltpman are the entries of the first
// largest tally (-1 when nothing was counted).
struct TJwLayerCount_Work {
    static constexpr int32_t kColors = 265;
    static constexpr int32_t kLtypes = 49;
    int32_t coln = kColors;
    std::array<int32_t, kColors> col{};
    int32_t colmax = 0, colman = -1;
    int32_t ltpn = kLtypes;
    std::array<int32_t, kLtypes> ltp{};
    int32_t ltpmax = 0, ltpman = -1;
};

// How often each colour and line type is used per Jw_cad layer (entry 16 x
// group + layer), and the entity totals of the 16 layer groups.
class TJwLayerCount {
public:
    int32_t cn = 256;
    // The tallies of entry i (0 to cn - 1); all zero for an entry that
    // nothing was counted on. Only such entries take memory: a tally is a
    // kilobyte and a drawing uses few of its 256 layers.
    const TJwLayerCount_Work& w(int32_t i) const;
    std::array<int32_t, 16> gn{};
    int32_t gnmax = -1;   // group with the largest total (CaluMax)
    int32_t gnmaxr = -1;  // group left out of that choice

    TJwLayerCount() { JWW_Init(); }
    // Sizes and zeroes every tally; gnmax and gnmaxr := -1.
    void JWW_Init();
    // Counts colour RgbToAci(co) (an ARGB colour) and, when lt >= 0, line type
    // PenStyleToLtype(lt) on layer ly of group lg; nothing outside 0-15.
    void JWW_CountUp(int32_t lg, int32_t ly, uint32_t co, int32_t lt);
    void CaluMax();

private:
    std::array<uint16_t, 256> slot_{};       // 1 + index into used_, 0 for none
    std::vector<TJwLayerCount_Work> used_;  // the entries counted on
};

// Pixel size of a BMP, JPEG, PNG or GIF file (the file may be gzip
// compressed); false when path is no regular file or no such image.
bool DxfImagePixelSize(const JwString& path, int32_t& width, int32_t& height);
// The same for the first n bytes of such a file as they are (not gzip
// compressed): whether they begin a picture the export reads.
bool DxfImageBytesPixelSize(const uint8_t* data, size_t n, int32_t& width, int32_t& height);

}  // namespace jw
