// Record types of a decoded JWW drawing (and of JWS figures, which share them).
//
// Entity records keep their fixed part byte for byte as it stands in a file of
// version 3.51 or later (packed, little-endian, no gaps), so that a reader fills
// a fixed part with a single copy. Text fields follow the fixed part and are
// read separately. Text is UTF-16 in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace jw {

using JwString = std::u16string;

// Entity kind codes used by the order lists, the writer and the tables.
enum : int {
    kEntLine = 1,
    kEntEnko = 2,
    kEntTen = 3,
    kEntMoji = 4,
    kEntSunpo = 5,
    kEntSolid = 6,
    kEntBlock = 7,
    kEntBlockDef = 8,  // only used by the writer
};

#pragma pack(push, 1)

// Common attribute at the start of every entity and block definition (15 bytes).
struct TEntJwwAttr {
    uint32_t lGroup = 0;     // curve attribute number
    uint8_t nPenStyle = 0;   // line type; 100 on a point = point with code
    uint16_t nPenColor = 0;  // colour number; 10 on a solid = own colour in Color
    uint16_t nPenWidth = 0;  // line width (0 in files older than 3.51)
    uint16_t nLayer = 0;     // layer within the group, 0-15
    uint16_t nGLayer = 0;    // layer group, 0-15
    uint16_t sFlg = 0;       // attribute flag
};
static_assert(sizeof(TEntJwwAttr) == 15);

struct TEntJwwLine {  // [1] 47 bytes
    TEntJwwAttr att{};
    double start_x = 0, start_y = 0, end_x = 0, end_y = 0;
};
static_assert(sizeof(TEntJwwLine) == 47);

struct TEntJwwEnko {  // [2] 75 bytes
    TEntJwwAttr att{};
    double start_x = 0, start_y = 0;  // centre
    double dHankei = 0;
    double radKaishiKaku = 0;
    double radEnkoKaku = 0;
    double radKatamukiKaku = 0;
    double dHenpeiRitsu = 0;
    uint32_t bZenEnFlg = 0;
};
static_assert(sizeof(TEntJwwEnko) == 75);

// Point: 35-byte fixed part followed by a 20-byte tail (present in a file only
// when att.nPenStyle is 100).
struct TEntJwwTen {  // [3]
    TEntJwwAttr att{};
    double start_x = 0, start_y = 0;
    uint32_t bKariten = 0;
    // tail
    uint32_t nCode = 0;
    double radKaitenKaku = 0;
    double dBairitsu = 0;
};
static_assert(sizeof(TEntJwwTen) == 55);
constexpr int kTenFixedSize = 35;
constexpr int kTenTailSize = 20;

// Fixed part of a text (83 bytes); the strings follow it in the file.
struct TEntJwwMojiFixed {
    TEntJwwAttr att{};
    double start_x = 0, start_y = 0, end_x = 0, end_y = 0;
    uint32_t nMojiShu = 0;
    double dSizeX = 0, dSizeY = 0;
    double dKankaku = 0;
    double degKakudo = 0;
};
static_assert(sizeof(TEntJwwMojiFixed) == 83);

// Solid: 79-byte fixed part and a 4-byte tail (present when att.nPenColor is 10).
struct TEntJwwSolid {  // [6]
    TEntJwwAttr att{};
    double start_x = 0, start_y = 0;      // first point
    double end_x = 0, end_y = 0;          // fourth point
    double DPoint2_x = 0, DPoint2_y = 0;  // second point
    double DPoint3_x = 0, DPoint3_y = 0;  // third point
    uint32_t Color = 0;               // tail: fill colour (RGB)
};
static_assert(sizeof(TEntJwwSolid) == 83);
constexpr int kSolidFixedSize = 79;

struct TEntJwwBlock {  // [7] 59 bytes
    TEntJwwAttr att{};
    double DPKijunTen_x = 0, DPKijunTen_y = 0;
    double dBairitsuX = 0, dBairitsuY = 0;
    double radKaitenKaku = 0;
    uint32_t nNumber = 0;
};
static_assert(sizeof(TEntJwwBlock) == 59);

// Fixed part of a block definition (27 bytes).
struct TEntJwwBlockDefFixed {
    TEntJwwAttr att{};
    uint32_t nNumber = 0;
    uint32_t bRefferd = 0;
    uint32_t dtime = 0;
};
static_assert(sizeof(TEntJwwBlockDefFixed) == 27);

#pragma pack(pop)

// [4] text: the fixed part plus font name and string.
struct TEntJwwMoji : TEntJwwMojiFixed {
    JwString strFontName;
    JwString str;
};

// [5] dimension. The members after Moji exist in files of version 4.20 and
// later; for older files they are derived from att.
struct TEntJwwSunpo {
    TEntJwwAttr att;
    TEntJwwLine Sen;
    TEntJwwMoji Moji;
    uint16_t bSxfMode;
    TEntJwwLine Ho1, Ho2;
    TEntJwwTen Te1, Te2, Kt1, Kt2;
};

// One entry of an entity order list.
struct TEntJwwNo {
    int32_t EntType;  // kind code 1-7
    int32_t EntNo;    // index into the array of that kind
};

struct TEntJwwBlockDef : TEntJwwBlockDefFixed {
    JwString strName;
    int32_t N = 0;                   // number of members
    std::vector<TEntJwwNo> mNo;      // order list of the members
    int32_t mLineN = 0, mEnkoN = 0, mTenN = 0, mMojiN = 0, mSunpoN = 0, mSolidN = 0, mBlockN = 0;
    std::vector<TEntJwwLine> mLine;
    std::vector<TEntJwwEnko> mEnko;
    std::vector<TEntJwwTen> mTen;
    std::vector<TEntJwwMoji> mMoji;
    std::vector<TEntJwwSunpo> mSunpo;
    std::vector<TEntJwwSolid> mSolid;
    std::vector<TEntJwwBlock> mBlock;
    bool ref_flag = false;  // computed by MakeBlockTree
    int32_t ref_no = -1;    // computed by MakeBlockTree
    // The 64-bit time stamp that follows the fixed part when bit 31 of the
    // dtime in the file is set (dtime then holds the definition's 1-based
    // position): whether there was one, the dtime the file held, and the
    // stamp as stored. Written back at 7.00, and at the version of the file
    // it came from and later ones.
    bool bTime64 = false;
    uint32_t dtimeFile = 0;
    uint8_t time64[8] = {};

    TEntJwwBlockDefFixed& Fixed() { return *this; }
    const TEntJwwBlockDefFixed& Fixed() const { return *this; }
};

// One node of the block nesting tree (not stored in files). A node refers to
// its definition by defno; the definition's name is not copied into it
// (TJwEntities::BlockTreeName), so that every node costs the same few bytes.
struct TEntJwwBlockTree {
    TEntJwwAttr att{};
    int32_t level = 0;
    int32_t parent = -1;
    uint32_t no = 0;
    int32_t defno = -1;
    double x = 0, y = 0;
    double r1 = 0, r2 = 0, r3 = 0, r4 = 0;
};

// ---- Table records ----

struct TEntJwwLayerGroup {
    int32_t anGLay = 0;
    int32_t anWriteLay = 0;
    double adScale = 0;
    int32_t anGLayProtect = 0;
    JwString aStrGLayName;
};

struct TEntJwwLayer {
    int32_t aanLay = 0;
    int32_t aanLayProtect = 0;
    JwString aStrLayName;
};

struct TEntJwwColorNo {
    int32_t aPenColor = 0;
    int32_t anPenWidth = 0;
    int32_t aPrtPenColor = 0;
    int32_t anPrtPenWidth = 0;
    double adPrtTenHankei = 0;
};

struct TEntJwwLineTypeNo {
    int32_t alLType = 0;
    int32_t anTokushuSenUintDot = 0;
    int32_t anTokushuSenPich = 0;
    int32_t anPrtTokushuSenPich = 0;
};

struct TEntJwwRandomLineNo {
    int32_t alLType = 0;
    int32_t anRandSenWide = 0;
    int32_t anTokushuSenPich = 0;
    int32_t anPrtRandSenWide = 0;
    int32_t anPrtTokushuSenPich = 0;
};

struct TEntJwwColorExNo {
    int32_t aPenColor = 0;
    int32_t anPenWidth = 0;
    JwString astrUDColorName;
    int32_t aPrtPenColor = 0;
    int32_t anPrtPenWidth = 0;
    double adPrtTenHankei = 0;
};

struct TEntJwwLineTypeExNo {
    int32_t alLType = 0;
    int32_t anTokushuSenUintDot = 0;
    int32_t anTokushuSenPich = 0;
    int32_t anPrtTokushuSenPich = 0;
    JwString astrUDLTypeName;
    int32_t anUDLTypeSegment = 0;
    double aadUDLTypePitch[10] = {};  // segment pitches 1-10 at [0]-[9]
};

struct TEntJwwMojiType {
    double adMojiX = 0;
    double adMojiY = 0;
    double adMojiD = 0;
    int32_t anMojiCol = 0;
};

// One image bound into a 7.00 file.
struct TBindImageType {
    JwString Fname;
    int32_t Fsize = 0;
    bool exf = false;
};

// Group attribute work data of the DXF export.
struct TGroupAttrField {
    int32_t no = 0;
    int32_t bn = 0;
    int32_t lg = 0;
    int32_t dn = 0;
    int32_t nm = 0;
    std::vector<int32_t> id;
};

struct TGroupAttrDimLin {
    int32_t idl = -1, ide1 = -1, ide2 = -1, idh1 = -1, idh2 = -1;
    int32_t ida1 = -1, ida2 = -1, ida3 = -1, ida4 = -1, idm = -1;
    TEntJwwMoji mj{};
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0, x4 = 0, y4 = 0;
    double h1x1 = 0, h1y1 = 0, h1x2 = 0, h1y2 = 0, h2x1 = 0, h2y1 = 0, h2x2 = 0, h2y2 = 0;
    double ar = 0, ar2 = 1;
    int32_t ar1c = 0, ar1d = 1, ar2c = 0, ar2d = 1;
};

struct TGroupAttrDimDia {
    int32_t idl = -1, ide1 = -1, ide2 = -1;
    int32_t ida1 = -1, ida2 = -1, ida3 = -1, ida4 = -1, idm = -1;
    TEntJwwMoji mj{};
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0, x4 = 0, y4 = 0;
    double ar = 0, ar2 = 1;
    int32_t ar1c = 0, ar1d = 1, ar2c = 0, ar2d = 1;
};

struct TGroupAttrDimCrv {
    int32_t idc = -1, ide1 = -1, ide2 = -1, idh1 = -1, idh2 = -1;
    int32_t ida1 = -1, ida2 = -1, ida3 = -1, ida4 = -1, idm = -1;
    TEntJwwMoji mj{};
    double x = 0, y = 0, r = 0, sa = 0, ea = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, ae1 = 0, ae2 = 0;
    double h1x1 = 0, h1y1 = 0, h1x2 = 0, h1y2 = 0, h2x1 = 0, h2y1 = 0, h2x2 = 0, h2y2 = 0;
    double ar = 0, ar2 = 1;
    int32_t ar1c = 0, ar1d = 1, ar2c = 0, ar2d = 1;
};

// ---- Headers ----

// Fields shared by the JWW and the JWS header.
struct TEntJwHeaderCommon {
    JwString jwID;      // file signature as read
    int32_t jwVer = 0;  // format version x 100
    int32_t n1 = 0;     // entity count stated by the file
    int32_t n2 = 0;     // block definition count stated by the file
};

// JWW header (Enthd). Arrays numbered 1..8 in Jw_cad are held 0-based here:
// mark m is entry [m - 1].
struct TEntJwwHeader : TEntJwHeaderCommon {
    JwString strMemo;
    int32_t nZumen = 0;
    int32_t nWriteGLay = 0;
    int32_t lnSunpou1 = 0, lnSunpou2 = 0, lnSunpou3 = 0, lnSunpou4 = 0, lnSunpou5 = 0;
    int32_t nMaxDrawWid = 0;
    bool bSenHaba100 = false;
    int32_t nMaxDrawWidBak = 0;
    double DPPrtGenten_x = 0, DPPrtGenten_y = 0;
    double dPrtBairitsu = 1.0;
    int32_t nPrtSet = 0;
    int32_t nMemoriMode = 0;
    double dMemoriHyoujiMin = 1.0;
    double dMemoriX = 1.0, dMemoriY = 1.0;
    double DpMemoriKjTen_x = 0, DpMemoriKjTen_y = 0;
    double dKageLevel = 0;
    double dKageIdo = 0;
    int32_t nKage9_15JiFlg = 0;
    double dKabeKageLevel = 0;
    double dTenkuuZuLevel = 0;
    double dTenkuuZuEnkoR = 0;
    int32_t nMMTani3D = 0;
    double dBairitsu = 1.0;
    double DPGenten_x = 0, DPGenten_y = 0;
    double dHanniBairitsu = 1.0;
    double DPHanniGenten_x = 0, DPHanniGenten_y = 0;
    double dZoomJumpBairitsu[8] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
    double DPZoomJumpGenten_x[8] = {};
    double DPZoomJumpGenten_y[8] = {};
    int32_t nZoomJumpGLay[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    double dDm11 = 0, dDm12 = 0, dDm13 = 0;
    int32_t lnDm1 = 0;
    double dDm21 = 0, dDm22 = 0;
    double dMojiBG = 0;
    int32_t nMojiBG = 0;
    double adFukusenSuuchi[10] = {};
    double dRyougawaFukusenTomeDe = 0;
    int32_t nDrawGamenTen = 0, nDrawPrtTen = 0;
    int32_t nBitMapFirstDraw = 0;
    int32_t nGyakuDraw = 0, nGyakuSearch = 0;
    int32_t nColorPrint = 0, nLayJunPrint = 0, nColJunPrint = 0;
    int32_t nPrtRenzoku = 0;
    int32_t nPrtKyoutsuuGray = 0;
    int32_t nPrtDispOnlyNonDraw = 0;
    int32_t nPrtDpi = 0;
    int32_t lnDrawTime = 0;
    int32_t nEyeInit = 0;
    int32_t dEye_H_Ichi_1 = 0, dEye_H_Ichi_2 = 0, dEye_H_Ichi_3 = 0;
    double dEye_Z_Ichi_1 = 0, dEye_Y_Ichi_1 = 0;
    double dEye_Z_Ichi_2 = 0, dEye_Y_Ichi_2 = 0;
    double dEye_V_Ichi_3 = 0;
    double dSenNagasaSnpou = 0;
    double dBoxSunpouX = 0, dBoxSunpouY = 0;
    double dEnHankeiSnpou = 0;
    int32_t nSolidNinniColor = 0;
    int32_t SolidColor = 0;
    double dMojiSizeX = 0, dMojiSizeY = 0, dMojiKankaku = 0;
    int32_t nMojiColor = 0, nMojiShu = 0;
    double dMojiSeiriGyouKan = 0, dMojiSeiriSuu = 0;
    int32_t nMojiKijunZureOn = 0;
    double adMojiKijunZureX0 = 0, adMojiKijunZureX1 = 0, adMojiKijunZureX2 = 0;
    double adMojiKijunZureY0 = 0, adMojiKijunZureY1 = 0, adMojiKijunZureY2 = 0;
};

// JWS header (Enthd of TJwsData).
struct TEntJwsHeader : TEntJwHeaderCommon {
    double BasePoint_x = 0, BasePoint_y = 0;
    int32_t dmy01 = 0, dmy02 = 0, dmy03 = 0, dmy04 = 0, dmy05 = 0, dmy06 = 0;
    double dmy11 = 0, dmy12 = 0, dmy13 = 0, dmy14 = 0, dmy15 = 0, dmy16 = 0;
    double Mx1 = 0, My1 = 0, Mx2 = 0, My2 = 0;
};

}  // namespace jw
