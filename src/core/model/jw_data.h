// The drawing models: TJwwData (a JWW drawing) and TJwsData (a JWS figure).
//
// Both share the entity arrays, block definitions, block tree, bound images and
// writer options held by TJwEntities; they differ in their header and tables.
// Where each operation lives:
//   lifecycle (Create/DataInit/DataFree) ........ model/jw_data.cpp
//   construction and transforms (AddEnt...) ..... model/construction.cpp
//   new-drawing defaults (DataDefaultSet) ....... model/defaults.cpp
//   JWW header (one description, read/written) . jww/jww_header.cpp
//   JWS header (one description, read/written) . jww/jws_header.cpp
//   entity list read / write (both formats) ..... jww/entity_reader.cpp, jww/entity_writer.cpp
//   FileIn, FilePrevIn, BufferIn, FileOut ....... jww/model_files.cpp (both formats)
//   block tree and numbering .................... model/block_tree.cpp
//   bound images ................................ jww/bound_images.cpp
//   DXF export, extents ......................... dxf/jww_to_dxf.cpp, dxf/extents.cpp
//   screen rendering (GLDrawALL) ................ render/renderer.cpp
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/jww_records.h"

namespace jw {

class ArchiveReader;
class ArchiveWriter;
class ModelFiles;
class TJwCanvas;
struct TJwDrawOptions;
struct TJwDrawReport;

// Entries of the header tables of a JWW drawing (SizeHeaderTables); a JWS
// figure has the layer groups only.
inline constexpr int kLgrpCount = 16;    // EntLgrp
inline constexpr int kLayPerGroup = 16;  // EntLay: kLayPerGroup layers of each group, group after group
inline constexpr int kColCount = 10;     // EntCol
inline constexpr int kLtp1Count = 8;     // EntLtp1
inline constexpr int kLtp2Count = 5;     // EntLtp2
inline constexpr int kLtp3Count = 4;     // EntLtp3
inline constexpr int kMojCount = 10;     // EntMoj
inline constexpr int kColSCount = 257;   // EntColS
inline constexpr int kLtpSCount = 33;    // EntLtpS

// Upper bound of the block tree, in bytes of its nodes. Acyclic nesting can
// grow exponentially (a definition holding two inserts of the next one,
// thirty levels deep); the expansion stops once the nodes take this much.
inline constexpr size_t kBlockTreeBytes = 80'000'000;
inline constexpr int32_t kMaxBlockTreeNodes = static_cast<int32_t>(kBlockTreeBytes / sizeof(TEntJwwBlockTree));

// The part common to JWW drawings and JWS figures.
class TJwEntities {
public:
    virtual ~TJwEntities() = default;
    TJwEntities(const TJwEntities&) = default;
    TJwEntities& operator=(const TJwEntities&) = default;

    // Header fields shared by both formats (jwID, jwVer, n1, n2).
    virtual TEntJwHeaderCommon& Hd() = 0;
    virtual const TEntJwHeaderCommon& Hd() const = 0;

    std::vector<TEntJwwLayerGroup> EntLgrp;
    std::vector<TEntJwwMojiType> EntMoj;
    std::vector<TEntJwwNo> EntNo;
    std::vector<TEntJwwLine> EntLine;
    int32_t EntLineN = 0;
    std::vector<TEntJwwEnko> EntEnko;
    int32_t EntEnkoN = 0;
    std::vector<TEntJwwTen> EntTen;
    int32_t EntTenN = 0;
    std::vector<TEntJwwMoji> EntMoji;
    int32_t EntMojiN = 0;
    std::vector<TEntJwwSunpo> EntSunpo;
    int32_t EntSunpoN = 0;
    std::vector<TEntJwwSolid> EntSolid;
    int32_t EntSolidN = 0;
    std::vector<TEntJwwBlock> EntBlock;
    int32_t EntBlockN = 0;
    std::vector<TEntJwwBlockDef> EntBlockDef;
    int32_t EntBlockDefN = 0;
    std::vector<TEntJwwBlockTree> EntBlockTree;
    int32_t EntBlockTreeN = 0;
    int32_t EntBlockNum = 0;

    JwString BindImageFolder;
    std::vector<TBindImageType> BindImage;
    int32_t BindImageN = 0;
    bool BindImageExp = false;
    bool BindImageExr = false;
    // Makes the folder for extracted images when a read first has an image to
    // extract and BindImageFolder is empty; answers it (with its separator)
    // and becomes BindImageFolder, or answers empty with the reason in error.
    std::function<JwString(std::string& error)> BindImageFolderMake;
    // The bound images the last read could not extract, one line each
    // (name and reason); the read itself goes on (BindImageInit empties it).
    std::vector<std::string> BindImageErrors;

    int32_t FileOutOpt = 0;
    // When set, a save (FileOut, BufferOut) leaves out the block definitions
    // that no insert of the drawing uses, directly or through definitions in
    // use (ref_flag); otherwise a save writes every definition.
    bool PurgeUnusedBlocks = false;
    int32_t FontNameN = 0;
    std::vector<JwString> FontNames;
    bool MojiEncode = false;
    int32_t gaN = 0;
    std::vector<TGroupAttrField> ga;
    TGroupAttrDimDia dd;
    TGroupAttrDimCrv dc;
    TGroupAttrDimLin dl;

    // Failure message of the last read or write ("JWW-Version Error", "File I/O
    // Error", ...); empty after a success.
    std::string LastError;
    // Where and why the last read failed, in words ("entity 1,234 (CDataSen)
    // at byte 0x1A2B: the file ends inside the record"); empty when the read
    // succeeded or nothing more is known.
    std::string LastErrorDetail;
    // Offset in the file at which the last read stopped (the file size when
    // the reader took every byte of it).
    size_t ReadEnd = 0;

    // ---- lifecycle ----
    virtual void DataInit();
    virtual void DataFree();
    virtual void DataDefaultSet() = 0;

    // ---- files ----
    // FileCheck, FileHeaderIn, FileIn, FilePrevIn and FileOut are members of
    // the two models (the header differs); they are deliberately not virtual so
    // that the model library does not depend on the codec.
    void SetFileOutOption(int32_t n);

    // ---- block tree and numbering ----
    void MakeBlockTree();
    // Name of the definition a tree node refers to; empty when none.
    const JwString& BlockTreeName(const TEntJwwBlockTree& node) const;
    // The inserts inside definitions that would close a cycle: entry d holds,
    // for definition d, a flag per insert of its mBlock (empty when none of
    // them does). The definitions are walked depth-first from the drawing's
    // inserts in order; an insert of a definition that stands on the path
    // walked to it closes a cycle (an insert of its own definition too).
    // Leaving these out makes the nesting of the definitions in use acyclic.
    std::vector<std::vector<char>> CycleClosingInserts() const;
    uint32_t ChangeBlockNo(uint32_t n) const;
    // The numbers a save gives the first n block definitions: their own
    // when every one is written; with PurgeUnusedBlocks those in use are
    // numbered 0, 1, 2 ... (ChangeBlockNo) and the others answer -1.
    std::vector<int64_t> SavedBlockNumbers(size_t n) const;
    // The saved number of the definition that number n refers to (numbers as
    // SavedBlockNumbers answers them); 0 when no definition has n.
    uint32_t SavedBlockNo(const std::vector<int64_t>& numbers, uint32_t n) const;
    // Whether a definition has the number n (an insert of any other number
    // is left out by the writers).
    bool HasBlkDef(uint32_t n) const { return FindBlkDef(n) >= 0; }
    int32_t GetBlkNo(const JwString& ps) const;
    int32_t GetBlkNumber(int32_t bdn) const;
    JwString GetBlkName(const JwString& ps) const;

    // ---- bound images ----
    void BindImageInit();
    void BindImageExplode();  // TJwsData hides it with its own form
    void BindImagePack();     // TJwsData hides it with its own form
    void BindImageCopy(const JwString& dst);
    void BindImageDeleteFile();
    void BindImageDeleteGzFile();
    void BindImageDeleteNonGzFile();

    // ---- construction and transforms ----
    bool AddEntPre();
    bool AddEntPost();
    bool AddEntLine(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                    double px1, double py1, double px2, double py2);
    bool AddEntArc(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                   double px, double py, double pr, double ph, double psa, double pda, double pka);
    bool AddEntTen(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                   double px, double py, double pa, double pb);
    bool AddEntMoji(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                    int32_t ms, double px1, double py1, double px2, double py2, double pw, double ph,
                    double pd, double pa, const JwString& pf, const JwString& ps);
    bool AddEntMoji(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                    int32_t ms, double px, double py, double pw, double ph, double pd, double pa,
                    const JwString& pf, const JwString& ps);
    bool AddEntBlock(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t bn, double px, double py, double pbx, double pby, double pa);
    bool AddBlkDef(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                   int32_t bf, const JwString& ps);
    bool AddBlkDefPost(int32_t bdn);
    void MoveEntALL(double dx, double dy);
    void ScaleEntALL(double cx, double cy, double sc);

    // Dimensions, five forms. Common leading parameters: the dimension line
    // (co, tp, wd, fl, px1..py2) and its text (co2, tp2, wd2, fl2, ms).
    // Form 1: text corners px3..py4.
    bool AddEntSunpo(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms,
                     double px1, double py1, double px2, double py2,
                     double px3, double py3, double px4, double py4,
                     double pw, double ph, double pd, double pa, const JwString& pf, const JwString& ps);
    // Form 2: text anchor point px, py.
    bool AddEntSunpo(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms,
                     double px1, double py1, double px2, double py2, double px, double py,
                     double pw, double ph, double pd, double pa, const JwString& pf, const JwString& ps);
    // SXF parts of forms 3 to 5.
    struct SxfLine { int32_t ex, co, tp, wd, fl; double x1, y1, x2, y2; };        // Ho1, Ho2
    struct SxfTen { int32_t ex, co, tp, wd, fl; double pb; };                     // Te1, Te2
    struct SxfKt { int32_t ex, co, tp, wd, fl; double px, py, pb; };              // Kt1, Kt2
    struct SxfLineDist { int32_t ex, co, tp, wd, fl; };                           // form 5
    // Form 3: text corners and the SXF parts.
    bool AddEntSunpo(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms,
                     double px1, double py1, double px2, double py2,
                     double px3, double py3, double px4, double py4,
                     double pw, double ph, double pd, double pa, const JwString& pf, const JwString& ps,
                     const SxfLine& ho1, const SxfLine& ho2, const SxfTen& te1, const SxfTen& te2,
                     const SxfKt& kt1, const SxfKt& kt2);
    // Form 4: text anchor point and the SXF parts.
    bool AddEntSunpo(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms,
                     double px1, double py1, double px2, double py2, double px, double py,
                     double pw, double ph, double pd, double pa, const JwString& pf, const JwString& ps,
                     const SxfLine& ho1, const SxfLine& ho2, const SxfTen& te1, const SxfTen& te2,
                     const SxfKt& kt1, const SxfKt& kt2);
    // Form 5: anchor point; the extension lines come from the distances d1, d2
    // and the Kt points.
    bool AddEntSunpo(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms,
                     double px1, double py1, double px2, double py2, double px, double py,
                     double pw, double ph, double pd, double pa, const JwString& pf, const JwString& ps,
                     double d1, double d2,
                     const SxfLineDist& ho1, const SxfLineDist& ho2, const SxfTen& te1, const SxfTen& te2,
                     const SxfKt& kt1, const SxfKt& kt2);

    // Solids: four points, two points, three points.
    bool AddEntSolid(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t fc, double px1, double py1, double px2, double py2,
                     double px3, double py3, double px4, double py4);
    bool AddEntSolid(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t fc, double px1, double py1, double px2, double py2);
    bool AddEntSolid(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t fc, double px1, double py1, double px2, double py2, double px3, double py3);
    // Arc-shaped solids.
    bool AddEntSolidA(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t wd, int32_t fl,
                      int32_t fc, double px, double py, double pr, double ph, double pka);
    bool AddEntSolidA(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t wd, int32_t fl,
                      int32_t fc, double px, double py, double pr, double ph, double pka, double psa, double pda);
    bool AddEntSolidC(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                      int32_t fc, double px, double py, double pr, double ph, double pka, double psa, double pda);
    bool AddEntSolidD(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                      int32_t fc, double px, double py, double pr, double pri, double ph, double pka,
                      double psa, double pda);

    // Twins that append to block definition bdn.
    bool AddBlkLine(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                    double px1, double py1, double px2, double py2);
    bool AddBlkArc(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                   double px, double py, double pr, double ph, double psa, double pda, double pka);
    bool AddBlkTen(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                   double px, double py, double pa, double pb);
    bool AddBlkMoji(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                    int32_t ms, double px1, double py1, double px2, double py2, double pw, double ph,
                    double pd, double pa, const JwString& pf, const JwString& ps);
    bool AddBlkMoji(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                    int32_t ms, double px, double py, double pw, double ph, double pd, double pa,
                    const JwString& pf, const JwString& ps);
    bool AddBlkSunpo(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms,
                     double px1, double py1, double px2, double py2,
                     double px3, double py3, double px4, double py4,
                     double pw, double ph, double pd, double pa, const JwString& pf, const JwString& ps);
    bool AddBlkSunpo(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms,
                     double px1, double py1, double px2, double py2, double px, double py,
                     double pw, double ph, double pd, double pa, const JwString& pf, const JwString& ps);
    bool AddBlkSunpo(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms,
                     double px1, double py1, double px2, double py2,
                     double px3, double py3, double px4, double py4,
                     double pw, double ph, double pd, double pa, const JwString& pf, const JwString& ps,
                     const SxfLine& ho1, const SxfLine& ho2, const SxfTen& te1, const SxfTen& te2,
                     const SxfKt& kt1, const SxfKt& kt2);
    bool AddBlkSunpo(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms,
                     double px1, double py1, double px2, double py2, double px, double py,
                     double pw, double ph, double pd, double pa, const JwString& pf, const JwString& ps,
                     const SxfLine& ho1, const SxfLine& ho2, const SxfTen& te1, const SxfTen& te2,
                     const SxfKt& kt1, const SxfKt& kt2);
    bool AddBlkSunpo(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms,
                     double px1, double py1, double px2, double py2, double px, double py,
                     double pw, double ph, double pd, double pa, const JwString& pf, const JwString& ps,
                     double d1, double d2,
                     const SxfLineDist& ho1, const SxfLineDist& ho2, const SxfTen& te1, const SxfTen& te2,
                     const SxfKt& kt1, const SxfKt& kt2);
    bool AddBlkSolid(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t fc, double px1, double py1, double px2, double py2,
                     double px3, double py3, double px4, double py4);
    bool AddBlkSolid(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t fc, double px1, double py1, double px2, double py2);
    bool AddBlkSolid(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t fc, double px1, double py1, double px2, double py2, double px3, double py3);
    bool AddBlkSolidA(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t wd, int32_t fl,
                      int32_t fc, double px, double py, double pr, double ph, double pka);
    bool AddBlkSolidA(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t wd, int32_t fl,
                      int32_t fc, double px, double py, double pr, double ph, double pka, double psa, double pda);
    bool AddBlkSolidC(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                      int32_t fc, double px, double py, double pr, double ph, double pka, double psa, double pda);
    bool AddBlkSolidD(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                      int32_t fc, double px, double py, double pr, double pri, double ph, double pka,
                      double psa, double pda);
    bool AddBlkBlock(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     int32_t bn, double px, double py, double pbx, double pby, double pa);

protected:
    TJwEntities() = default;

    // Shared entity-list codec (jww/entity_reader.cpp, jww/entity_writer.cpp).
    // Reads the entity list and the block definitions that follow a header.
    // budget < 0 means unlimited (FileIn); otherwise FilePrevIn's ZMaxN.
    void ReadEntityLists(ArchiveReader& ar, int32_t budget);
    // Writes the entity list and the referenced block definitions for Ver.
    void WriteEntityLists(ArchiveWriter& aw, int32_t Ver);
    // Bound-image section (jww/bound_images.cpp).
    void ReadBindImageSection(ArchiveReader& ar);
    void WriteBindImageSection(ArchiveWriter& aw);

    // The public file operations of both models around their own header
    // codec (jww/model_files.cpp). Each answers false with LastError set.
    // FileHeaderIn: clears the model and reads the header at the start of
    // FName.
    bool HeaderFileIn(const JwString& FName, const std::function<bool(ArchiveReader&)>& header);
    // FileIn, FilePrevIn: clears the model and hands a reader of the whole
    // of FName, read in pieces as it goes on, to parse.
    bool WholeFileIn(const JwString& FName, const std::function<bool(ArchiveReader&)>& parse);
    // BufferIn after the header: the entity lists (budget as in
    // ReadEntityLists), then the bound-image section when images is set;
    // completes the block tree whatever happened.
    bool BodyIn(ArchiveReader& ar, int32_t budget, bool images);
    // FileOut after the model's own checks: header, entity lists and, when
    // images is set, the bound-image section, through a temporary file that
    // replaces FName only when all of it was written; into bytes instead
    // when FName is null (BufferOut).
    bool WholeFileOut(const JwString* FName, std::vector<uint8_t>* bytes, int32_t Ver,
                      const std::function<void(ArchiveWriter&)>& header, bool images);

private:
    // Definition number -> index of the first definition with that number, so
    // that ChangeBlockNo and MakeBlockTree look numbers up in constant time.
    // Rebuilt whenever EntBlockDef moved, changed its count or a hit no longer
    // matches (model/block_tree.cpp).
    struct BlkNumberIndex {
        const TEntJwwBlockDef* data = nullptr;
        int32_t count = -1;
        std::unordered_map<uint32_t, int32_t> first;
    };
    mutable BlkNumberIndex BlkNumIndex;
    int32_t FindBlkDef(uint32_t n) const;
};

// A JWW drawing.
class TJwwData : public TJwEntities {
public:
    TJwwData();
    ~TJwwData() override;
    TJwwData(const TJwwData&) = default;
    TJwwData& operator=(const TJwwData&) = default;

    TEntJwHeaderCommon& Hd() override { return Enthd; }
    const TEntJwHeaderCommon& Hd() const override { return Enthd; }

    TEntJwwHeader Enthd;
    std::vector<TEntJwwLayer> EntLay;
    std::vector<TEntJwwColorNo> EntCol;
    std::vector<TEntJwwLineTypeNo> EntLtp1;
    std::vector<TEntJwwRandomLineNo> EntLtp2;
    std::vector<TEntJwwLineTypeNo> EntLtp3;
    std::vector<TEntJwwColorExNo> EntColS;
    std::vector<TEntJwwLineTypeExNo> EntLtpS;

    void DataInit() override;
    void DataDefaultSet() override;
    // Gives each header table (EntLgrp, EntLay, EntCol, EntLtp1-3, EntMoj,
    // EntColS, EntLtpS) its length in the file; entries already held stay.
    void SizeHeaderTables();

    bool FileCheck(const JwString& FName) const;
    bool FileHeaderIn(const JwString& FName);
    bool FileIn(const JwString& FName);
    bool FilePrevIn(const JwString& FName, int32_t ZMaxN);
    // FileIn (ZMaxN < 0) or FilePrevIn (ZMaxN >= 0) on a file image held in
    // memory; FName is the file name FileIn publishes.
    bool BufferIn(const uint8_t* data, size_t size, const JwString& FName, int32_t ZMaxN = -1);
    bool FileOut(const JwString& FName, int32_t Ver);
    // FileOut into memory: the file's bytes.
    bool BufferOut(std::vector<uint8_t>& bytes, int32_t Ver);

    // Copies the drawing's layer states into the display attributes JwGraAttr.
    void SetGAttLayer();

    // ---- DXF export (dxf/jww_to_dxf.cpp, dxf/extents.cpp) ----
    // Writes the drawing as DXF release Ver (0 R12, 1 2000, 2 2007) at FName
    // with the DXF export settings of support/program_values.h; false, with
    // the reason in LastError, when the file could not be written or an
    // image could not be copied beside it.
    bool FileOutDXF(const JwString& FName, int32_t Ver);
    // What the last FileOutDXF left out without failing, one line each (block
    // inserts that would close a cycle, images a device output gets no copy of).
    std::vector<std::string> DxfWarnings;
    // Paper width and height in mm of Enthd.nZumen.
    void GetPaperSize(double& px, double& py) const;
    // Collects the distinct font names (leading "@" removed) of the texts,
    // dimension texts and block-definition texts into FontNames / FontNameN.
    void GetFontNames();
    // Index of s in FontNames after removing up to three leading "@"; -1.
    int32_t GetFontNamesIndex(const JwString& s) const;
    // Extents of the drawing and of every placed block into ZahyoMinX ...
    // ZahyoMaxY (program-wide values); also sets JwLayerScale.
    void GetMinMaxZahyo() const;

    // ---- screen rendering (render/renderer.cpp) ----
    // Draws the whole drawing onto cv in paper mm (origin at the paper's
    // lower-left corner); the report says what was left out.
    TJwDrawReport GLDrawALL(TJwCanvas& cv, const TJwDrawOptions& opt) const;

private:
    friend class ModelFiles;
    // The header (jww/jww_header.cpp).
    bool HeaderIn(ArchiveReader& ar);
    void HeaderOut(ArchiveWriter& aw, int32_t Ver);
};

// A JWS figure.
class TJwsData : public TJwEntities {
public:
    TJwsData();
    ~TJwsData() override;
    TJwsData(const TJwsData&) = default;
    TJwsData& operator=(const TJwsData&) = default;

    TEntJwHeaderCommon& Hd() override { return Enthd; }
    const TEntJwHeaderCommon& Hd() const override { return Enthd; }

    TEntJwsHeader Enthd;

    void DataInit() override;
    void DataDefaultSet() override;

    bool FileCheck(const JwString& FName) const;
    bool FileHeaderIn(const JwString& FName);
    bool FileIn(const JwString& FName);
    bool FilePrevIn(const JwString& FName, int32_t ZMaxN);
    // FileIn (ZMaxN < 0) or FilePrevIn (ZMaxN >= 0) on a file image held in
    // memory; FName is the file name FileIn publishes.
    bool BufferIn(const uint8_t* data, size_t size, const JwString& FName, int32_t ZMaxN = -1);
    bool FileOut(const JwString& FName, int32_t Ver);
    // FileOut into memory: the file's bytes.
    bool BufferOut(std::vector<uint8_t>& bytes, int32_t Ver);

    // A figure holds no image data: these only look for existing files.
    void BindImageExplode();
    void BindImagePack();

    // Draws the figure as the drawing JwsAsDrawing makes of it (a new
    // drawing's paper and settings) onto cv (render/renderer.cpp).
    TJwDrawReport GLDrawALL(TJwCanvas& cv, const TJwDrawOptions& opt) const;

private:
    friend class ModelFiles;
    // The header (jww/jws_header.cpp).
    bool HeaderIn(ArchiveReader& ar);
    void HeaderOut(ArchiveWriter& aw, int32_t Ver);
};

}  // namespace jw
