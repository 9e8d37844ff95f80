// The drawing models: TJwwData (a JWW drawing) and TJwsData (a JWS figure).
//
// Both share the entity arrays, block definitions, block tree, bound images and
// writer options held by TJwEntities; they differ in their header and tables.
// Where each operation lives:
//   lifecycle (Create/DataInit/DataFree) ........ model/jw_data.cpp
//   construction and transforms (AddEnt...) ..... model/construction.cpp
//   new-drawing defaults (DataDefaultSet) ....... model/defaults.cpp
//   JWW header read / write ..................... jww/header_reader.cpp, jww/header_writer.cpp
//   entity list read / write (both formats) ..... jww/entity_reader.cpp, jww/entity_writer.cpp
//   JWS header read / write ..................... jww/jws_codec.cpp
//   block tree and numbering .................... jww/block_tree.cpp
//   bound images ................................ jww/bound_images.cpp
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/jww_records.h"

namespace jw {

class ArchiveReader;
class ArchiveWriter;

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

    int32_t FileOutOpt = 0;
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

    // ---- lifecycle ----
    virtual void DataInit();
    virtual void DataFree();
    virtual void DataDefaultSet() = 0;

    // ---- files ----
    virtual bool FileCheck(const JwString& FName) const = 0;
    virtual bool FileHeaderIn(const JwString& FName) = 0;
    virtual bool FileIn(const JwString& FName) = 0;
    virtual bool FilePrevIn(const JwString& FName, int32_t ZMaxN) = 0;
    virtual bool FileOut(const JwString& FName, int32_t Ver) = 0;
    void SetFileOutOption(int32_t n);

    // ---- block tree and numbering ----
    void MakeBlockTree();
    uint32_t ChangeBlockNo(uint32_t n) const;
    int32_t GetBlkNo(const JwString& ps) const;
    int32_t GetBlkNumber(int32_t bdn) const;
    JwString GetBlkName(const JwString& ps) const;

    // ---- bound images ----
    void BindImageInit();
    virtual void BindImageExplode();
    virtual void BindImagePack();
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
    // The remaining construction operations (dimensions, solids and the
    // AddBlk... twins) are declared in model/construction.h.

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

    bool FileCheck(const JwString& FName) const override;
    bool FileHeaderIn(const JwString& FName) override;
    bool FileIn(const JwString& FName) override;
    bool FilePrevIn(const JwString& FName, int32_t ZMaxN) override;
    bool FileOut(const JwString& FName, int32_t Ver) override;

    // Copies the drawing's layer states into the display attributes JwGraAttr.
    void SetGAttLayer();

private:
    friend class JwwHeaderCodec;
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

    bool FileCheck(const JwString& FName) const override;
    bool FileHeaderIn(const JwString& FName) override;
    bool FileIn(const JwString& FName) override;
    bool FilePrevIn(const JwString& FName, int32_t ZMaxN) override;
    bool FileOut(const JwString& FName, int32_t Ver) override;

    void BindImageExplode() override;
    void BindImagePack() override;

private:
    bool HeaderIn(ArchiveReader& ar);
    void HeaderOut(ArchiveWriter& aw, int32_t Ver);
};

}  // namespace jw
