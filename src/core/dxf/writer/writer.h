// The DXF writer behind TDXFmodel::SaveDXF: one DxfWriter writes one model as
// an ASCII DXF of release R12 (AC1009), 2000 (AC1015) or 2007 (AC1021). The
// files of this folder follow the DXF file:
//   group_codes ... how a group is written (codes, numbers, handles, text)
//   save_dxf ...... SaveDXF, the sections in file order, the handle plan
//   header ........ HEADER: the header variables as one table
//   classes ....... CLASSES (2000/2007)
//   tables ........ TABLES: VPORT, LTYPE, LAYER, STYLE, VIEW, UCS, APPID,
//                   DIMSTYLE, BLOCK_RECORD
//   blocks ........ BLOCKS: model space, the paper spaces, the definitions
//   entities ...... the entity records (ENTITIES and the contents of blocks)
//   objects ....... OBJECTS (2000/2007): dictionaries, layouts, image objects
//
// Handles: DXFHnd is the next free handle. The numbers 1 .. Ltn + 5 are
// reserved for fixed objects of the OBJECTS section (placeholder, layouts, root
// dictionary, image dictionary and raster variables); tables, records, blocks,
// entities and then the remaining objects take the following ones in writing
// order. An entity that is not written (R12 and a further layout, a missing
// block, an unregistered image, an empty text) still takes its handles, so one
// model gets the same handles in every release. The handles are planned before
// the header, which names the next free one ($HANDSEED), and the entities,
// which name the image definitions at the end of the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dxf/dxf_model.h"
#include "dxf/writer/group_codes.h"

namespace jw::dxfwriter {

class DxfWriter : public DxfGroupWriter {
public:
    DxfWriter(TDXFmodel& m, OutputSink& sink);
    // The whole file; src is the source drawing (header dates).
    void Write(const JwString& src);

private:
    TDXFmodel& m_;
    const bool r12_;
    const bool v2007_;

    // Names as written, encoded once per save.
    std::vector<std::string> ltName_, layName_, stName_, blkName_;
    std::unordered_map<JwString, int32_t> ttfStyle_;  // font name -> style index (text-style mode 2)
    int32_t marker_[2][12];  // block index of _TRANS_TMARKER<n> [0] and _TRANS_TMARKER_<n> [1]

    // The handle plan (save_dxf.cpp).
    std::vector<uint32_t> layoutStart_, layoutOrder_;  // top-level entities by further layout
    int64_t objects_ = 0;  // first handle of the OBJECTS section after the reserved ones
    int64_t seed_ = 0;     // $HANDSEED

    // ---- save_dxf.cpp ----
    void Prepare();
    void PlanHandles();
    // A name that R12 writes in upper case.
    std::string Name(std::u16string_view s);
    int32_t NewHandle() { return m_.DXFHnd++; }
    int32_t Ltn() const { return m_.Ltn < 2 ? 2 : m_.Ltn; }
    // Scale of the header and the active viewport.
    double E() const { return m_.Spa < 1 ? m_.pscale : m_.deLgp[0].sc; }
    bool HasImages() const { return !m_.deFList.empty(); }
    bool BlockOk(int32_t b) const { return b >= 0 && b < static_cast<int32_t>(blkName_.size()); }
    // "SECTION" and its name; "ENDSEC".
    void Section(std::string_view name) {
        Str(0, "SECTION");
        Str(2, name);
    }
    void EndSection() { Str(0, "ENDSEC"); }
    // The world coordinate system as the UCS of a viewport (not in R12).
    void WorldUcs() {
        XYZ(110, 0, 0, 0);
        XYZ(111, 1, 0, 0);
        XYZ(112, 0, 1, 0);
        Int(79, 0);
        Real(146, 0);
    }
    // Extended data that marks a style as annotative (not in R12).
    void AnnotativeData();

    // ---- header.cpp, classes.cpp ----
    void Header(const JwString& src);
    void Classes();

    // ---- tables.cpp ----
    void Tables();
    int64_t TableHandles() const;
    int32_t TableHead(std::string_view name, int32_t count);
    void RecordHead(std::string_view type, int32_t table, std::string_view subclass, int handleCode = 5);

    // ---- blocks.cpp ----
    void Blocks();
    // Name of the block of space spc: *Model_Space, *Paper_Space, then
    // *Paper_Space0, *Paper_Space1, ... (upper-cased in R12).
    std::string SpaceBlockName(int32_t spc) const;
    void BlockBegin(std::string_view name, int32_t owner, bool paper);
    void BlockEnd(int32_t owner, bool paper);

    // ---- entities.cpp ----
    void Entities(TDXF_Entities& e, int32_t pass, int32_t owner);
    void Entity(TDXF_Entities& e, const TDXF_EntNo& n, int32_t pass, int32_t owner);
    // Calls f with the record an order entry names; not at all when it names none.
    template <class F>
    void WithRecord(TDXF_Entities& e, const TDXF_EntNo& n, F&& f);
    // The space of the record an order entry names and the handles it takes,
    // written or not; false when the entry names no record.
    bool Sizes(TDXF_Entities& e, const TDXF_EntNo& n, int32_t& spc, int32_t& handles);
    // Whether the record an order entry names is written.
    bool Written(TDXF_Entities& e, const TDXF_EntNo& n);
    // Handles the entities of e take in pass 0 (the contents of a definition).
    int64_t ContentHandles(TDXF_Entities& e);
    // Whether a record is written, by kind (its handles are taken either way).
    template <class Rec>
    bool Writable(const Rec& r) const;
    // The block a point is drawn with; kPlainPoint when it is drawn as a
    // POINT or CIRCLE, -1 when its block is missing.
    int32_t TenBlock(const TDXF_Ten& r) const;
    // The groups every entity starts with; an empty subclass is left out.
    void Head(std::string_view type, int32_t h, int32_t owner, int32_t spc, std::string_view layer,
              std::string_view subclass);
    void Head(std::string_view type, int32_t h, int32_t owner, int32_t spc, int32_t lay, std::string_view subclass) {
        Head(type, h, owner, spc, Layer(lay), subclass);
    }
    const std::string& Layer(int32_t lay) const;
    void Ltype(int32_t typ);
    // The first line type by name, for points drawn as circles or symbol blocks.
    void FirstLtype();
    void Color(int32_t col);
    void Weight(int32_t wid);
    // Line type, colour and lineweight of an entity record.
    template <class Rec>
    void Pen(const Rec& r) {
        Ltype(r.typ);
        Color(r.col);
        Weight(r.wid);
    }
    // Insertion point and scale factors of an INSERT.
    void InsertPlace(double x, double y, double bx, double by);
    void Solid(int32_t h, int32_t owner, int32_t spc, int32_t lay, int32_t col, const double (&corners)[8]);
    // The record of each kind, with its first handle h.
    void Record(const TDXF_Line& r, int32_t h, int32_t owner);
    void Record(const TDXF_Circle& r, int32_t h, int32_t owner);
    void Record(const TDXF_Arc& r, int32_t h, int32_t owner);
    void Record(const TDXF_Ellipse& r, int32_t h, int32_t owner);
    void Record(const TDXF_Ten& r, int32_t h, int32_t owner);
    void Record(const TDXF_Solid3& r, int32_t h, int32_t owner);
    void Record(const TDXF_Solid4& r, int32_t h, int32_t owner);
    void Record(const TDXF_Moji& r, int32_t h, int32_t owner);
    void Record(TDXF_Image& r, int32_t h, int32_t owner);
    void Record(const TDXF_PLine& r, int32_t h, int32_t owner);
    void Record(const TDXF_ViewPort& r, int32_t h, int32_t owner);
    void Record(const TDXF_Dimension& r, int32_t h, int32_t owner);
    void Record(const TDXF_Block& r, int32_t h, int32_t owner);

    // ---- objects.cpp ----
    void Objects();
    // The head of an object owned by owner (with its reactor).
    void ObjHead(std::string_view type, int64_t handle, int64_t owner);
    // The head of a dictionary, then its entries: key and the handle it names.
    void DictHead(std::string_view type, int64_t handle, int64_t owner);
    void DictEntry(std::string_view key, int64_t handle);
    void DictEntry(std::u16string_view key, int64_t handle);
};

// s with its ASCII letters upper-cased (the writer's fixed names in R12).
std::string AsciiUpper(std::string_view s);
void MakeAsciiUpper(std::string& s);  // in place

}  // namespace jw::dxfwriter
